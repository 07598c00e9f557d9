#pragma once
// A small wave player for the alert bell: a RIFF/WAVE image held in memory, played through Qt Multimedia on
// the default audio output. Failures are silent (a false result, never a message): a missing device, a
// malformed file or a format the device refuses simply means no sound.
//
// Thread: create, use and destroy on the UI thread (QAudioSink needs its event loop). The parser alone
// (ParseWave) is pure and may run anywhere.
#include <QAudioFormat>
#include <QElapsedTimer>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class QAudioSink;

namespace quorvex::gui {

class SampleSource;

// What the parser learns from a wave image. Offsets count from the start of the image.
struct WaveInfo {
  // The format record of the first "fmt " chunk.
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  // 0 when the record holds only the 14 basic bytes.
  uint16_t bitsPerSample = 0;
  // The payload of the "data" chunk.
  size_t dataOffset = 0;
  size_t dataSize = 0;
};

class WDSound {
 public:
  WDSound();
  virtual ~WDSound();
  WDSound(const WDSound&) = delete;
  WDSound& operator=(const WDSound&) = delete;

  // Reads a wave image: "RIFF" at 0, "WAVE" at 8, then chunks (4-byte id, 4-byte little-endian size,
  // payload, a pad byte after an odd payload) from offset 12 while below 8 + the RIFF size. The first
  // "fmt " chunk gives the format (a payload under 14 bytes fails), a "data" chunk the samples, in either
  // order; true as soon as both are known, false when the walk ends first. Never reads outside image: a
  // size reaching past it fails the parse.
  static bool ParseWave(std::string_view image, WaveInfo& out);

  // The sample format of a parsed wave for the audio device: 8-bit (unsigned), 16- or 32-bit integer PCM
  // and 32-bit float PCM, with a block size of one sample per channel. False for anything else. A 14-byte
  // format record gets its sample size from the block size.
  static bool ToAudioFormat(const WaveInfo& info, QAudioFormat& format);

  // Takes over a wave image and makes it ready to play: looks up the default audio output when no live
  // sound holds it yet, parses the image and checks that the device takes its format (8-, 16- or 32-bit
  // integer PCM, 32-bit float PCM; anything else fails), and that it holds at least one whole frame of
  // samples. False when any step fails; the object then holds nothing. Loading again stops and replaces
  // the previous sound.
  bool LoadFromMemory(std::string image);

  // Reads the file at path (a regular file of at most platform::kMaxWaveFileBytes), loads it and plays it once from the
  // start. True when it is playing.
  bool LoadAndPlayFile(const std::string& path);

  // Plays the loaded sound from byte start of the samples (clamped to their size; rounded down to a whole
  // frame), over and over when loop is set. Does nothing and returns false when nothing is loaded or
  // playing is disabled; otherwise true when the device started.
  bool Play(uint32_t start, bool loop);

  // The byte position in the samples of what has been handed to the device (a little ahead of what is
  // heard); 0 when nothing is loaded, before Play, and again once a single play has ended, that is when
  // the device has had time to sound its last buffered samples.
  uint32_t PlayPosition() const;

  // Playing is allowed (initially true). Disabling does not stop a sound already playing.
  void SetEnabled(bool enabled) { m_bEnabled = enabled; }
  bool IsEnabled() const { return m_bEnabled; }

  // Objects alive now, and how often the audio output has been looked up since the program started (a
  // lookup happens when a sound is loaded while no live object holds the device).
  static int LiveCount();
  static int DeviceOpenCount();

 private:
  void Unload();
  bool Finished() const;

  // The whole wave image: the samples are played from it directly.
  std::string m_image;
  WaveInfo m_info;
  QAudioFormat m_format;
  // Bytes a single play hands to the device, and when it started: the device still sounds its buffer
  // after the last bytes were handed over.
  qint64 m_nPlayBytes = 0;
  bool m_bLoop = false;
  QElapsedTimer m_playClock;
  bool m_bEnabled = true;
  // The sink is declared last so that it is destroyed first: it reads from the source until it stops.
  std::unique_ptr<SampleSource> m_pSource;
  std::unique_ptr<QAudioSink> m_pSink;
};

}  // namespace quorvex::gui
