#include "gui/shell/sound.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <algorithm>
#include <cstring>

#include "platform/paths.h"

namespace quorvex::gui {

namespace {

constexpr size_t kRiffHeaderBytes = 12;
constexpr size_t kRiffSizeOffset = 4;
constexpr size_t kWaveTagOffset = 8;
constexpr size_t kChunkHeaderBytes = 8;
constexpr size_t kFormatRecordBytes = 14;
constexpr size_t kBitsPerSampleOffset = 14;
constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatIeeeFloat = 3;

uint16_t Le16(std::string_view bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
}

uint32_t Le32(std::string_view bytes, size_t at) {
  return static_cast<uint32_t>(Le16(bytes, at)) | static_cast<uint32_t>(Le16(bytes, at + 2)) << 16;
}

int s_nLiveCount = 0;
int s_nDeviceOpens = 0;

// The output device shared by all live sounds; null while none holds it.
QAudioDevice& SharedDevice() {
  static QAudioDevice device;
  return device;
}

}  // namespace

// Hands the samples to the audio sink, from a start position, once or over and over.
class SampleSource final : public QIODevice {
 public:
  SampleSource(const char* data, qint64 size, qint64 start, bool loop)
      : m_pData(data), m_nSize(size), m_nPos(start), m_bLoop(loop) {
    open(QIODevice::ReadOnly);
  }

  bool isSequential() const override { return true; }
  qint64 bytesAvailable() const override {
    return (m_bLoop ? m_nSize : m_nSize - m_nPos) + QIODevice::bytesAvailable();
  }
  qint64 Position() const { return m_nPos; }

 protected:
  qint64 readData(char* out, qint64 max) override {
    qint64 done = 0;
    while (done < max) {
      if (m_nPos == m_nSize) {
        if (!m_bLoop) break;
        m_nPos = 0;
      }
      const qint64 n = std::min(max - done, m_nSize - m_nPos);
      std::memcpy(out + done, m_pData + m_nPos, static_cast<size_t>(n));
      done += n;
      m_nPos += n;
    }
    return done;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  const char* m_pData;
  qint64 m_nSize;
  qint64 m_nPos;
  bool m_bLoop;
};

WDSound::WDSound() {
  ++s_nLiveCount;
}

WDSound::~WDSound() {
  Unload();
  if (--s_nLiveCount == 0) SharedDevice() = QAudioDevice();
}

int WDSound::LiveCount() {
  return s_nLiveCount;
}
int WDSound::DeviceOpenCount() {
  return s_nDeviceOpens;
}

bool WDSound::ParseWave(std::string_view image, WaveInfo& out) {
  if (image.size() < kRiffHeaderBytes || image.substr(0, 4) != "RIFF" || image.substr(kWaveTagOffset, 4) != "WAVE") {
    return false;
  }
  // 64-bit arithmetic: no size read from the file can wrap an offset around.
  const uint64_t end = kWaveTagOffset + uint64_t{Le32(image, kRiffSizeOffset)};
  WaveInfo info;
  bool haveFormat = false;
  bool haveData = false;
  uint64_t pos = kRiffHeaderBytes;
  while (pos < end) {
    if (pos + kChunkHeaderBytes > image.size()) return false;
    const std::string_view id = image.substr(pos, 4);
    const uint64_t size = Le32(image, pos + 4);
    const size_t payload = pos + kChunkHeaderBytes;
    if (payload + size > image.size()) return false;
    if (id == "fmt " && !haveFormat) {
      if (size < kFormatRecordBytes) return false;
      info.formatTag = Le16(image, payload);
      info.channels = Le16(image, payload + 2);
      info.samplesPerSec = Le32(image, payload + 4);
      info.avgBytesPerSec = Le32(image, payload + 8);
      info.blockAlign = Le16(image, payload + 12);
      info.bitsPerSample = size >= kBitsPerSampleOffset + 2 ? Le16(image, payload + kBitsPerSampleOffset) : 0;
      haveFormat = true;
    } else if (id == "data" && !haveData) {
      info.dataOffset = payload;
      info.dataSize = size;
      haveData = true;
    }
    if (haveFormat && haveData) {
      out = info;
      return true;
    }
    pos = payload + size + (size & 1);
  }
  return false;
}

bool WDSound::ToAudioFormat(const WaveInfo& info, QAudioFormat& format) {
  if (info.channels == 0 || info.samplesPerSec == 0 || info.samplesPerSec > INT32_MAX) return false;
  uint32_t bits = info.bitsPerSample;
  if (bits == 0 && info.blockAlign % info.channels == 0) bits = info.blockAlign / info.channels * 8u;
  QAudioFormat::SampleFormat sampleFormat = QAudioFormat::Unknown;
  if (info.formatTag == kFormatPcm && bits == 8) sampleFormat = QAudioFormat::UInt8;
  if (info.formatTag == kFormatPcm && bits == 16) sampleFormat = QAudioFormat::Int16;
  if (info.formatTag == kFormatPcm && bits == 32) sampleFormat = QAudioFormat::Int32;
  if (info.formatTag == kFormatIeeeFloat && bits == 32) sampleFormat = QAudioFormat::Float;
  // The device reads frames of one sample per channel; other block layouts would be played garbled.
  if (sampleFormat == QAudioFormat::Unknown || info.blockAlign != info.channels * bits / 8u) return false;
  format = QAudioFormat();
  format.setSampleFormat(sampleFormat);
  format.setChannelCount(info.channels);
  format.setSampleRate(static_cast<int>(info.samplesPerSec));
  return true;
}

void WDSound::Unload() {
  if (m_pSink) m_pSink->stop();
  m_pSink.reset();
  m_pSource.reset();
  m_image.clear();
  m_info = WaveInfo();
}

bool WDSound::LoadFromMemory(std::string image) {
  Unload();
  QAudioDevice& device = SharedDevice();
  if (device.isNull()) {
    ++s_nDeviceOpens;
    device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return false;
  }
  WaveInfo info;
  QAudioFormat format;
  if (!ParseWave(image, info) || !ToAudioFormat(info, format) || !device.isFormatSupported(format)) return false;
  // A partial frame at the end is not played.
  info.dataSize -= info.dataSize % info.blockAlign;
  if (info.dataSize == 0) return false;
  m_image = std::move(image);
  m_info = info;
  m_format = format;
  m_pSink = std::make_unique<QAudioSink>(device, format);
  return true;
}

bool WDSound::LoadAndPlayFile(const std::string& path) {
  std::string image;
  if (platform::ReadWholeFile(path, image, nullptr, platform::kMaxWaveFileBytes) != platform::ReadResult::Ok)
    return false;
  return LoadFromMemory(std::move(image)) && Play(0, false);
}

bool WDSound::Play(uint32_t start, bool loop) {
  if (!m_pSink || !m_bEnabled) return false;
  m_pSink->stop();
  const qint64 size = static_cast<qint64>(m_info.dataSize);
  qint64 from = std::min<qint64>(start, size);
  from -= from % m_info.blockAlign;
  m_pSource = std::make_unique<SampleSource>(m_image.data() + m_info.dataOffset, size, from, loop);
  m_nPlayBytes = size - from;
  m_bLoop = loop;
  m_playClock.start();
  m_pSink->start(m_pSource.get());
  return m_pSink->error() == QAudio::NoError && m_pSink->state() != QAudio::StoppedState;
}

bool WDSound::Finished() const {
  if (!m_pSink || !m_pSource || m_pSink->state() == QAudio::StoppedState) return true;
  if (m_bLoop || m_pSink->state() != QAudio::IdleState || !m_pSource->atEnd()) return false;
  // The source ran dry; the device still sounds what it has buffered.
  const qint64 frames = (m_nPlayBytes + m_pSink->bufferSize()) / m_format.bytesPerFrame();
  return m_playClock.elapsed() >= frames * 1000 / m_format.sampleRate();
}

uint32_t WDSound::PlayPosition() const {
  return Finished() ? 0 : static_cast<uint32_t>(m_pSource->Position());
}

}  // namespace quorvex::gui
