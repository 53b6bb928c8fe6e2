#include "platform/fluidsynth/soundfont_subset.h"

#include <fluidsynth.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace tv {
namespace {

constexpr int kDrumBank = 128;
constexpr int kDrumChannel = 9;

uint32_t Big(const uint8_t* p, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = (v << 8) | p[i];
  return v;
}

uint32_t Little(const uint8_t* p, int n) {
  uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

void PutLittle(uint8_t* p, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) p[i] = uint8_t(v >> (8 * i));
}

// Each preset with what a synthesiser falls back to when a font lacks it.
void AddWithFallbacks(std::set<Preset>& out, Preset p) {
  out.insert(p);
  if (p.first == kDrumBank) {
    out.insert({kDrumBank, 0});
  } else {
    out.insert({0, p.second});
    out.insert({0, 0});
  }
}

// One table of the font's "pdta" list: fixed-size records.
struct Table {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t record = 0;
  size_t Count() const { return record ? size / record : 0; }
  const uint8_t* At(size_t i) const { return data + i * record; }
};

}  // namespace

std::set<Preset> PresetsOfMidi(const std::vector<uint8_t>& f) {
  std::set<Preset> used;
  AddWithFallbacks(used, {0, 0});
  AddWithFallbacks(used, {kDrumBank, 0});
  if (f.size() < 14 || std::memcmp(f.data(), "MThd", 4) != 0) {
    used.insert({-1, -1});
    return used;
  }
  size_t at = 8 + size_t(Big(&f[4], 4));
  while (at + 8 <= f.size()) {
    const size_t end = std::min(f.size(), at + 8 + Big(&f[at + 4], 4));
    const bool track = std::memcmp(&f[at], "MTrk", 4) == 0;
    size_t p = at + 8;
    at = end;
    if (!track) continue;
    std::array<int, 16> bank{};
    std::array<Preset, 16> preset;
    for (int ch = 0; ch < 16; ++ch) preset[ch] = {ch == kDrumChannel ? kDrumBank : 0, 0};
    uint8_t status = 0;
    auto vlq = [&]() {
      uint32_t v = 0;
      while (p < end) {
        uint8_t b = f[p++];
        v = (v << 7) | (b & 0x7F);
        if (!(b & 0x80)) break;
      }
      return v;
    };
    while (p < end) {
      vlq();
      if (p >= end) break;
      if (f[p] & 0x80) status = f[p++];
      if (status == 0xFF) {
        if (++p > end) break;
        p += vlq();
        continue;
      }
      if (status == 0xF0 || status == 0xF7) {
        // A system-exclusive message may turn any channel into drums: keep everything.
        used.insert({-1, -1});
        p += vlq();
        continue;
      }
      const int kind = status & 0xF0, ch = status & 0x0F;
      if (kind == 0xC0 || kind == 0xD0) {
        if (p >= end) break;
        if (kind == 0xC0) preset[ch] = {ch == kDrumChannel ? kDrumBank : bank[ch], f[p]};
        p += 1;
        continue;
      }
      if (kind < 0x80 || p + 2 > end) break;  // no running status to go on with
      if (kind == 0xB0 && f[p] == 0) bank[ch] = f[p + 1];
      if (kind == 0x90 && f[p + 1] > 0) AddWithFallbacks(used, preset[ch]);
      p += 2;
    }
  }
  return used;
}

std::optional<SoundFontSubset> MakeSoundFontSubset(const std::string& path, const std::set<Preset>& wanted) {
  if (wanted.count({-1, -1})) return std::nullopt;
  SoundFontSubset out;
  out.path = path;
  std::vector<uint8_t> hydra;
  {
    std::FILE* file = std::fopen(path.c_str(), "rbe");
    if (!file) return std::nullopt;
    uint8_t head[12];
    bool ok = std::fread(head, 1, 12, file) == 12 && std::memcmp(head, "RIFF", 4) == 0 &&
              std::memcmp(head + 8, "sfbk", 4) == 0;
    const int64_t riffEnd = 8 + int64_t(Little(head + 4, 4));
    int64_t at = 12;
    while (ok && at + 12 <= riffEnd) {
      uint8_t chunk[12];
      if (std::fseek(file, long(at), SEEK_SET) != 0 || std::fread(chunk, 1, 12, file) != 12) break;
      const int64_t size = Little(chunk + 4, 4);
      if (std::memcmp(chunk, "LIST", 4) == 0 && std::memcmp(chunk + 8, "pdta", 4) == 0) {
        // The rebuilt tables take the place of the last list only.
        ok = at + 8 + size + (size & 1) >= riffEnd && size >= 4;
        if (ok) {
          hydra.resize(size_t(size - 4));
          ok = std::fread(hydra.data(), 1, hydra.size(), file) == hydra.size();
        }
        out.bodyEnd = at;
        out.head.assign(head, head + 12);
        break;
      }
      at += 8 + size + (size & 1);
    }
    std::fclose(file);
    if (!ok || hydra.empty()) return std::nullopt;
  }

  const std::array<std::pair<const char*, size_t>, 9> kinds{{{"phdr", 38}, {"pbag", 4}, {"pmod", 10}, {"pgen", 4},
                                                             {"inst", 22}, {"ibag", 4}, {"imod", 10}, {"igen", 4},
                                                             {"shdr", 46}}};
  std::map<std::string, Table> t;
  for (size_t at = 0; at + 8 <= hydra.size();) {
    const size_t size = Little(&hydra[at + 4], 4);
    if (at + 8 + size > hydra.size()) return std::nullopt;
    t[std::string(reinterpret_cast<const char*>(&hydra[at]), 4)] = Table{&hydra[at + 8], size, 0};
    at += 8 + size + (size & 1);
  }
  for (auto [name, record] : kinds) {
    auto it = t.find(name);
    if (it == t.end() || it->second.size % record != 0 || it->second.size < record) return std::nullopt;
    it->second.record = record;
  }
  const Table &phdr = t["phdr"], &pbag = t["pbag"], &pmod = t["pmod"], &pgen = t["pgen"], &inst = t["inst"],
              &ibag = t["ibag"], &imod = t["imod"], &igen = t["igen"], &shdr = t["shdr"];
  auto bagOf = [](const Table& tb, size_t i, int field) { return size_t(Little(tb.At(i) + field, 2)); };

  std::vector<uint8_t> nPhdr, nPbag, nPmod, nPgen, nInst, nIbag, nImod, nIgen;
  auto append = [](std::vector<uint8_t>& v, const uint8_t* p, size_t n) { v.insert(v.end(), p, p + n); };
  std::map<size_t, size_t> newInst;  // original instrument index -> new
  std::vector<size_t> keptInst;
  // Zones of the kept records of `hdr` (bag index at `field`), copied with fresh indices.
  auto copyZones = [&](const Table& hdr, size_t i, int field, const Table& bag, const Table& gen, const Table& mod,
                       std::vector<uint8_t>& nBag, std::vector<uint8_t>& nGen, std::vector<uint8_t>& nMod,
                       bool presetLevel) {
    const size_t b0 = bagOf(hdr, i, field), b1 = bagOf(hdr, i + 1, field);
    if (b0 > b1 || b1 >= bag.Count()) return false;
    for (size_t b = b0; b < b1; ++b) {
      uint8_t rec[4];
      PutLittle(rec, uint32_t(nGen.size() / 4), 2);
      PutLittle(rec + 2, uint32_t(nMod.size() / 10), 2);
      append(nBag, rec, 4);
      const size_t g0 = bagOf(bag, b, 0), g1 = bagOf(bag, b + 1, 0), m0 = bagOf(bag, b, 2), m1 = bagOf(bag, b + 1, 2);
      if (g0 > g1 || g1 > gen.Count() || m0 > m1 || m1 > mod.Count()) return false;
      for (size_t g = g0; g < g1; ++g) {
        uint8_t rec2[4];
        std::memcpy(rec2, gen.At(g), 4);
        if (presetLevel && Little(rec2, 2) == 41) {  // the zone's instrument
          const size_t old = Little(rec2 + 2, 2);
          if (old + 1 >= inst.Count()) return false;
          auto [it, fresh] = newInst.emplace(old, keptInst.size());
          if (fresh) keptInst.push_back(old);
          PutLittle(rec2 + 2, uint32_t(it->second), 2);
        }
        append(nGen, rec2, 4);
      }
      append(nMod, mod.At(m0), (m1 - m0) * 10);
    }
    return true;
  };
  for (size_t i = 0; i + 1 < phdr.Count(); ++i) {
    const Preset p{int(Little(phdr.At(i) + 22, 2)), int(Little(phdr.At(i) + 20, 2))};
    if (!wanted.count(p)) continue;
    append(nPhdr, phdr.At(i), 38);
    PutLittle(&nPhdr[nPhdr.size() - 38 + 24], uint32_t(nPbag.size() / 4), 2);
    if (!copyZones(phdr, i, 24, pbag, pgen, pmod, nPbag, nPgen, nPmod, true)) return std::nullopt;
  }
  for (size_t k = 0; k < keptInst.size(); ++k) {
    append(nInst, inst.At(keptInst[k]), 22);
    PutLittle(&nInst[nInst.size() - 22 + 20], uint32_t(nIbag.size() / 4), 2);
    if (!copyZones(inst, keptInst[k], 20, ibag, igen, imod, nIbag, nIgen, nImod, false)) return std::nullopt;
  }
  // The terminal records, pointing past the last kept zone.
  auto terminal = [&](std::vector<uint8_t>& v, const Table& tb, int field, uint32_t index, int field2,
                      uint32_t index2) {
    append(v, tb.At(tb.Count() - 1), tb.record);
    if (field >= 0) PutLittle(&v[v.size() - tb.record + field], index, 2);
    if (field2 >= 0) PutLittle(&v[v.size() - tb.record + field2], index2, 2);
  };
  terminal(nPhdr, phdr, 24, uint32_t(nPbag.size() / 4), -1, 0);
  terminal(nPbag, pbag, 0, uint32_t(nPgen.size() / 4), 2, uint32_t(nPmod.size() / 10));
  terminal(nPmod, pmod, -1, 0, -1, 0);
  terminal(nPgen, pgen, -1, 0, -1, 0);
  terminal(nInst, inst, 20, uint32_t(nIbag.size() / 4), -1, 0);
  terminal(nIbag, ibag, 0, uint32_t(nIgen.size() / 4), 2, uint32_t(nImod.size() / 10));
  terminal(nImod, imod, -1, 0, -1, 0);
  terminal(nIgen, igen, -1, 0, -1, 0);
  if (nPbag.size() / 4 > 0xFFFF || nIbag.size() / 4 > 0xFFFF || nPgen.size() / 4 > 0xFFFF ||
      nIgen.size() / 4 > 0xFFFF)
    return std::nullopt;

  const std::vector<uint8_t> shdrCopy(shdr.data, shdr.data + shdr.size);
  const std::array<std::pair<const char*, const std::vector<uint8_t>*>, 9> parts{
      {{"phdr", &nPhdr}, {"pbag", &nPbag}, {"pmod", &nPmod}, {"pgen", &nPgen}, {"inst", &nInst},
       {"ibag", &nIbag}, {"imod", &nImod}, {"igen", &nIgen}, {"shdr", &shdrCopy}}};
  std::vector<uint8_t>& v = out.tables;
  v.assign({'L', 'I', 'S', 'T', 0, 0, 0, 0, 'p', 'd', 't', 'a'});
  for (auto [name, data] : parts) {
    v.insert(v.end(), name, name + 4);
    uint8_t size[4];
    PutLittle(size, uint32_t(data->size()), 4);
    append(v, size, 4);
    append(v, data->data(), data->size());
  }
  PutLittle(&v[4], uint32_t(v.size() - 8), 4);
  PutLittle(&out.head[4], uint32_t(out.Size() - 8), 4);
  return out;
}

namespace {

// The loader's callbacks take no context: the subsets made in the run are
// here, each under a name no file has, for as long as the run (a font loading
// its samples late opens its file again, from the audio thread).
std::mutex gMutex;
std::map<std::string, std::unique_ptr<SoundFontSubset>> gSubsets;

const SoundFontSubset* Find(const char* name) {
  std::lock_guard<std::mutex> lock(gMutex);
  auto it = gSubsets.find(name);
  return it == gSubsets.end() ? nullptr : it->second.get();
}

// A file as the loader reads it: the subset, or a plain file (its head and
// tables empty, its body the whole file).
struct Reader {
  std::FILE* file = nullptr;
  const SoundFontSubset* subset = nullptr;
  int64_t bodyEnd = 0;
  int64_t pos = 0;
  int64_t Size() const { return subset ? subset->Size() : bodyEnd; }
};

void* Open(const char* name) {
  auto r = std::make_unique<Reader>();
  r->subset = Find(name);
  r->file = std::fopen(r->subset ? r->subset->path.c_str() : name, "rbe");
  if (!r->file) return nullptr;
  if (r->subset) {
    r->bodyEnd = r->subset->bodyEnd;
  } else {
    if (std::fseek(r->file, 0, SEEK_END) != 0) {
      std::fclose(r->file);
      return nullptr;
    }
    r->bodyEnd = std::ftell(r->file);
  }
  return r.release();
}

int Read(void* buf, fluid_long_long_t count, void* handle) {
  auto* r = static_cast<Reader*>(handle);
  auto* out = static_cast<uint8_t*>(buf);
  if (count < 0 || r->pos + count > r->Size()) return FLUID_FAILED;
  const int64_t headLen = r->subset ? int64_t(r->subset->head.size()) : 0;
  while (count > 0) {
    int64_t n;
    if (r->pos < headLen) {
      n = std::min<int64_t>(count, headLen - r->pos);
      std::memcpy(out, r->subset->head.data() + r->pos, size_t(n));
    } else if (r->pos < r->bodyEnd) {
      n = std::min<int64_t>(count, r->bodyEnd - r->pos);
      if (std::fseek(r->file, long(r->pos), SEEK_SET) != 0 || std::fread(out, 1, size_t(n), r->file) != size_t(n))
        return FLUID_FAILED;
    } else {
      n = count;
      std::memcpy(out, r->subset->tables.data() + (r->pos - r->bodyEnd), size_t(n));
    }
    out += n;
    r->pos += n;
    count -= n;
  }
  return FLUID_OK;
}

int Seek(void* handle, fluid_long_long_t offset, int origin) {
  auto* r = static_cast<Reader*>(handle);
  const int64_t base = origin == SEEK_SET ? 0 : origin == SEEK_CUR ? r->pos : r->Size();
  if (base + offset < 0 || base + offset > r->Size()) return FLUID_FAILED;
  r->pos = base + offset;
  return FLUID_OK;
}

fluid_long_long_t Tell(void* handle) { return static_cast<Reader*>(handle)->pos; }

int Close(void* handle) {
  auto* r = static_cast<Reader*>(handle);
  std::fclose(r->file);
  delete r;
  return FLUID_OK;
}

}  // namespace

int LoadSoundFont(fluid_synth_t* synth, fluid_settings_t* settings, const std::string& path,
                  const std::set<Preset>& wanted, bool& whole) {
  whole = false;
  auto subset = MakeSoundFontSubset(path, wanted);
  if (subset) {
    fluid_sfloader_t* loader = new_fluid_defsfloader(settings);
    if (loader && fluid_sfloader_set_callbacks(loader, Open, Read, Seek, Tell, Close) == FLUID_OK) {
      fluid_synth_add_sfloader(synth, loader);
      std::string name;
      {
        std::lock_guard<std::mutex> lock(gMutex);
        name = "<" + path + ": presets " + std::to_string(gSubsets.size()) + ">";
        gSubsets[name] = std::make_unique<SoundFontSubset>(std::move(*subset));
      }
      const int id = fluid_synth_sfload(synth, name.c_str(), 1);
      if (id != FLUID_FAILED) return id;
    } else if (loader) {
      delete_fluid_sfloader(loader);
    }
  }
  whole = true;
  return fluid_synth_sfload(synth, path.c_str(), 1);
}

}  // namespace tv
