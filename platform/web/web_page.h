#pragma once
// The page's side of the machine, called from C++: every call into
// JavaScript the game makes goes through here (web_page.cpp) to the page's
// script (shell/page.js). The page calls back into the game only for the
// audio pull (web_audio.cpp) and for what its tests read.
#include <cstdint>
#include <string>

namespace tv::page {

// One input event as the page queued it: a key of the keyboard, the pointer
// on the game's picture or on a box, the window left or the keyboard lost.
struct Input {
  enum Kind : int32_t { None = 0, KeyDown = 1, KeyUp = 2, PointerMove = 3, PointerDown = 4, PointerUp = 5, Blur = 6 };
  int32_t kind = None;
  int32_t box = 0;  // the box it happened on; 0: the game's picture
  int32_t a = 0;    // key: virtual-key code; pointer: x in the picture's (or box's) pixels
  int32_t b = 0;    // key: the key's place (its code's number); pointer: y
  int32_t c = 0;    // key: repeat; pointer: button (0 left, 1 middle, 2 right)
  int32_t flags = 0;  // key: 1 Alt held, 2 Ctrl or Meta held
};

// Takes the next queued input without waiting.
bool NextInput(Input& in);
// Yields to the browser until input is queued or `timeoutMs` passed
// (negative: no limit); true when input came.
bool WaitForInput(int64_t timeoutMs);
// Ends a WaitForInput under way: the game posted itself an event (the
// audio pull's notice of a piece's end).
void WakeWait();
// Yields to the browser for `ms` milliseconds; input stays queued.
void Sleep(uint32_t ms);
double Now();

void MakeCanvas(int width, int height);
void ShowCanvas();
void SetTitle(const std::string& title);
// Puts a rectangle of 0x00RRGGBB pixels (rows `stride` pixels apart) on the canvas.
void PutPixels(const uint32_t* pixels, int stride, int x, int y, int w, int h);
// Asks the browser to switch the page's fullscreen, which it does a moment
// later: whether fullscreen was asked for.
bool SwitchFullscreen();
bool Fullscreen();

// A box of `width` x `height` pixels over the game, captioned, with its picture.
void OpenBox(int id, const std::string& caption, int width, int height);
void DrawBox(int id, const uint32_t* pixels, int width, int height);
void CloseBox(int id);

// The page's audio: pulls from the game while started (web_audio.cpp);
// false when the browser gives the page none.
bool StartAudio();
void StopAudio();

void OpenInNewTab(const std::string& url);
// Writes the settings folder to the browser's storage.
void KeepSettings();
// Says on the page that the game has ended, with the way to start again.
void Ended();

// The browser's decoders, each yielding to the browser while it works; the
// audio pull meanwhile plays silence. A picture as 0xAARRGGBB-free RGBA bytes.
bool DecodePicture(const uint8_t* data, size_t size, int& width, int& height, uint8_t*& rgba, std::string& why);
// Sound in `data` decoded at `rate`: a handle to its samples, kept by the page.
int DecodeSound(const uint8_t* data, size_t size, int rate, int& channels, int64_t& frames, std::string& why);
// A file of the page's site (a recording) fetched and decoded at `rate` while
// the game goes on, or taken from the page's cache of decoded recordings: a
// handle at once, 0 when the file already failed in this run (said then).
int OpenSiteSound(const std::string& url, int rate);
// The frames of the sound once decoded; kPending until then, kFailed when it cannot be.
inline constexpr int64_t kPending = -1, kFailed = -2;
int64_t SoundFrames(int handle);
// Starts decoding `url` ahead, for a later OpenSiteSound.
void DecodeAhead(const std::string& url, int rate);
// Copies `frames` interleaved frames of the sound from `from` into `out`; the frames copied.
int ReadSound(int handle, int64_t from, float* out, int frames, int channels);
void ReleaseSound(int handle);

}  // namespace tv::page
