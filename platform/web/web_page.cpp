// The calls into the page's script (shell/page.js, Module.page). Those that
// wait are asynchronous JavaScript: -sASYNCIFY unwinds the game's stack while
// the browser runs and rewinds it when the answer comes, so the event loop,
// a box's own loop and the pumps inside handlers keep their shape.
#include "platform/web/web_page.h"

#include <emscripten.h>

#include <cstdlib>
#include <vector>

namespace {

// The page's audio pull plays silence while a decoder has the game waiting:
// the game may be half-way through changing what the mixer reads.
EM_JS(void, tv_page_busy, (int busy), { Module.page.busy = !!busy; });

EM_JS(int, tv_page_next_input, (int32_t* out), { return Module.page.nextInput(out); });
EM_ASYNC_JS(int, tv_page_wait, (double timeoutMs), { return await Module.page.waitForInput(timeoutMs); });
EM_JS(void, tv_page_wake, (), { Module.page.wake(); });
EM_ASYNC_JS(void, tv_page_sleep, (double ms), { await new Promise((resolve) => setTimeout(resolve, ms)); });
EM_JS(double, tv_page_now, (), { return performance.now(); });
EM_JS(void, tv_page_make_canvas, (int w, int h), { Module.page.makeCanvas(w, h); });
EM_JS(void, tv_page_show_canvas, (), { Module.page.showCanvas(); });
EM_JS(void, tv_page_set_title, (const char* title), { Module.page.setTitle(UTF8ToString(title)); });
EM_JS(void, tv_page_put_pixels, (const uint32_t* rgba, int x, int y, int w, int h),
      { Module.page.putPixels(rgba, x, y, w, h); });
EM_JS(int, tv_page_switch_fullscreen, (), { return Module.page.switchFullscreen(); });
EM_JS(int, tv_page_fullscreen, (), { return Module.page.isFullscreen(); });
EM_JS(void, tv_page_open_box, (int id, const char* caption, int w, int h),
      { Module.page.openBox(id, UTF8ToString(caption), w, h); });
EM_JS(void, tv_page_draw_box, (int id, const uint32_t* rgba, int w, int h), { Module.page.drawBox(id, rgba, w, h); });
EM_JS(void, tv_page_close_box, (int id), { Module.page.closeBox(id); });
EM_JS(int, tv_page_start_audio, (), { return Module.page.startAudio(); });
EM_JS(void, tv_page_stop_audio, (), { Module.page.stopAudio(); });
EM_JS(void, tv_page_open_tab, (const char* url), { Module.page.openInNewTab(UTF8ToString(url)); });
EM_JS(void, tv_page_keep_settings, (), { Module.page.keepSettings(); });
EM_JS(void, tv_page_ended, (), { Module.page.ended(); });

// Each answers 0 and writes its reason (at most whyMax bytes) when the decoder refuses.
EM_ASYNC_JS(int, tv_page_decode_picture, (const uint8_t* data, int size, int* w, int* h, uint8_t** rgba,
                                          char* why, int whyMax),
            { return await Module.page.decodePicture(data, size, w, h, rgba, why, whyMax); });
EM_ASYNC_JS(int, tv_page_decode_sound, (const uint8_t* data, int size, int rate, int* channels, double* frames,
                                        char* why, int whyMax),
            { return await Module.page.decodeSound(HEAPU8.slice(data, data + size).buffer, rate, channels, frames,
                                                   why, whyMax); });
EM_JS(int, tv_page_open_site_sound, (const char* url, int rate),
      { return Module.page.openSiteSound(UTF8ToString(url), rate); });
EM_JS(double, tv_page_sound_frames, (int handle), { return Module.page.soundFrames(handle); });
EM_JS(void, tv_page_decode_ahead, (const char* url, int rate), { Module.page.decodeAhead(UTF8ToString(url), rate); });
EM_JS(int, tv_page_read_sound, (int handle, double from, float* out, int frames, int channels),
      { return Module.page.readSound(handle, from, out, frames, channels); });
EM_JS(void, tv_page_release_sound, (int handle), { Module.page.releaseSound(handle); });

constexpr int kWhyMax = 256;

// A rectangle of 0x00RRGGBB pixels as the canvas takes them: bytes R, G, B,
// A. Converted here, where it costs a tenth of what the page's script pays.
const uint32_t* Rgba(const uint32_t* pixels, int stride, int w, int h) {
  static std::vector<uint32_t> out;
  out.resize(size_t(w) * size_t(h));
  uint32_t* to = out.data();
  for (int y = 0; y < h; ++y) {
    const uint32_t* from = pixels + size_t(y) * size_t(stride);
    for (int x = 0; x < w; ++x) {
      const uint32_t p = from[x];
      *to++ = 0xFF000000u | (p & 0xFFu) << 16 | (p & 0xFF00u) | (p >> 16 & 0xFFu);
    }
  }
  return out.data();
}

// Marks the game as waiting on a decoder for as long as it lives.
struct Busy {
  Busy() { tv_page_busy(1); }
  ~Busy() { tv_page_busy(0); }
};

}  // namespace

namespace tv::page {

bool NextInput(Input& in) { return tv_page_next_input(&in.kind) != 0; }
bool WaitForInput(int64_t timeoutMs) { return tv_page_wait(double(timeoutMs)) != 0; }
void WakeWait() { tv_page_wake(); }
void Sleep(uint32_t ms) { tv_page_sleep(double(ms)); }
double Now() { return tv_page_now(); }
void MakeCanvas(int width, int height) { tv_page_make_canvas(width, height); }
void ShowCanvas() { tv_page_show_canvas(); }
void SetTitle(const std::string& title) { tv_page_set_title(title.c_str()); }
void PutPixels(const uint32_t* pixels, int stride, int x, int y, int w, int h) {
  tv_page_put_pixels(Rgba(pixels, stride, w, h), x, y, w, h);
}
bool SwitchFullscreen() { return tv_page_switch_fullscreen() != 0; }
bool Fullscreen() { return tv_page_fullscreen() != 0; }
void OpenBox(int id, const std::string& caption, int width, int height) {
  tv_page_open_box(id, caption.c_str(), width, height);
}
void DrawBox(int id, const uint32_t* pixels, int width, int height) {
  tv_page_draw_box(id, Rgba(pixels, width, width, height), width, height);
}
void CloseBox(int id) { tv_page_close_box(id); }
bool StartAudio() { return tv_page_start_audio() != 0; }
void StopAudio() { tv_page_stop_audio(); }
void OpenInNewTab(const std::string& url) { tv_page_open_tab(url.c_str()); }
void KeepSettings() { tv_page_keep_settings(); }
void Ended() { tv_page_ended(); }

bool DecodePicture(const uint8_t* data, size_t size, int& width, int& height, uint8_t*& rgba, std::string& why) {
  const Busy busy;
  char reason[kWhyMax] = {};
  rgba = nullptr;
  if (tv_page_decode_picture(data, int(size), &width, &height, &rgba, reason, kWhyMax)) return true;
  std::free(rgba);
  rgba = nullptr;
  why = reason;
  return false;
}

int DecodeSound(const uint8_t* data, size_t size, int rate, int& channels, int64_t& frames, std::string& why) {
  const Busy busy;
  char reason[kWhyMax] = {};
  double n = 0;
  const int handle = tv_page_decode_sound(data, int(size), rate, &channels, &n, reason, kWhyMax);
  frames = int64_t(n);
  if (!handle) why = reason;
  return handle;
}

int OpenSiteSound(const std::string& url, int rate) { return tv_page_open_site_sound(url.c_str(), rate); }
int64_t SoundFrames(int handle) { return int64_t(tv_page_sound_frames(handle)); }

void DecodeAhead(const std::string& url, int rate) { tv_page_decode_ahead(url.c_str(), rate); }
int ReadSound(int handle, int64_t from, float* out, int frames, int channels) {
  return tv_page_read_sound(handle, double(from), out, frames, channels);
}
void ReleaseSound(int handle) { tv_page_release_sound(handle); }

}  // namespace tv::page
