// The wave player and the alert bell: hostile wave images, the sample formats a device is offered, and the
// bell's rules (switched off, broken file, one at a time).
#include "gui/shell/sound.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>
#include <utility>

#include "gui/shell/alert_bell.h"
#include "platform/paths.h"
#include "settings/app_context.h"

using quorvex::gui::AlertBell;
using quorvex::gui::WaveInfo;
using quorvex::gui::WDSound;

namespace {

const std::string kBellFile = QUORVEX_SOURCE_DIR "/resources/sound/bell.wav";

QByteArray Le(uint32_t value, int bytes) {
  QByteArray out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i) & 0xff);
  return out;
}

QByteArray Chunk(const char* id, const QByteArray& payload) {
  QByteArray out = id + Le(payload.size(), 4) + payload;
  if (payload.size() % 2) out += '\0';
  return out;
}

QByteArray Riff(const QByteArray& chunks) {
  return "RIFF" + Le(chunks.size() + 4, 4) + "WAVE" + chunks;
}

// 8 kHz mono 16-bit PCM.
QByteArray Fmt(int bytes = 16) {
  return Chunk("fmt ", (Le(1, 2) + Le(1, 2) + Le(8000, 4) + Le(16000, 4) + Le(2, 2) + Le(16, 2)).left(bytes));
}

const QByteArray kSamples("\x01\x02\x03\x04", 4);

}  // namespace

class SoundTest : public QObject {
  Q_OBJECT

 private slots:
  void parsesWaveImages_data() {
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<bool>("parses");
    QTest::addColumn<QByteArray>("samples");
    const QByteArray data = Chunk("data", kSamples);
    QTest::newRow("fmt, data") << Riff(Fmt() + data) << true << kSamples;
    QTest::newRow("data before fmt") << Riff(data + Fmt()) << true << kSamples;
    QTest::newRow("odd chunk padded") << Riff(Chunk("data", "abc") + Fmt()) << true << QByteArray("abc");
    QTest::newRow("other chunks skipped")
        << Riff(Chunk("LIST", "xyzzy") + Fmt() + Chunk("fact", "1234") + data) << true << kSamples;
    QTest::newRow("14-byte fmt") << Riff(Fmt(14) + data) << true << kSamples;
    QTest::newRow("13-byte fmt") << Riff(Fmt(13) + data) << false << QByteArray();
    QTest::newRow("not RIFF") << "RIFX" + Riff(Fmt() + data).mid(4) << false << QByteArray();
    QTest::newRow("not WAVE") << Riff(Fmt() + data).replace("WAVE", "AVI ") << false << QByteArray();
    QTest::newRow("header cut") << QByteArray("RIFF\x04\0\0\0WAV", 11) << false << QByteArray();
    QTest::newRow("no data") << Riff(Fmt()) << false << QByteArray();
    QTest::newRow("no fmt") << Riff(data) << false << QByteArray();
    QTest::newRow("RIFF ends before data")
        << "RIFF" + Le(4 + Fmt().size(), 4) + "WAVE" + Fmt() + data << false << QByteArray();
    QTest::newRow("RIFF size past the end") << "RIFF" + Le(0xffffffff, 4) + "WAVE" + Fmt() << false << QByteArray();
    QTest::newRow("data cut") << Riff(Fmt() + data).chopped(2) << false << QByteArray();
    QTest::newRow("chunk header cut") << Riff(Fmt() + "da") << false << QByteArray();
    QTest::newRow("chunk size wraps") << Riff("junk" + Le(0xfffffff8, 4) + Fmt() + data) << false << QByteArray();
  }

  void parsesWaveImages() {
    QFETCH(QByteArray, image);
    QFETCH(bool, parses);
    QFETCH(QByteArray, samples);
    // An exactly sized copy, so that a read past the end is caught by the address sanitizer.
    const auto exact = std::make_unique<char[]>(image.size());
    std::copy(image.begin(), image.end(), exact.get());
    WaveInfo info;
    QCOMPARE(WDSound::ParseWave(std::string_view(exact.get(), image.size()), info), parses);
    if (parses) QCOMPARE(image.mid(info.dataOffset, info.dataSize), samples);
  }

  void offersSampleFormats() {
    // Format tag, channels, rate, bytes per second, block size, bits; Unknown: refused.
    const std::pair<WaveInfo, QAudioFormat::SampleFormat> cases[] = {
        {{1, 1, 8000, 0, 1, 8}, QAudioFormat::UInt8},    {{1, 2, 8000, 0, 4, 16}, QAudioFormat::Int16},
        {{1, 1, 8000, 0, 4, 32}, QAudioFormat::Int32},   {{3, 2, 8000, 0, 8, 32}, QAudioFormat::Float},
        {{1, 2, 8000, 0, 4, 0}, QAudioFormat::Int16},    {{1, 1, 8000, 0, 3, 24}, QAudioFormat::Unknown},
        {{3, 1, 8000, 0, 8, 64}, QAudioFormat::Unknown}, {{2, 1, 8000, 0, 256, 4}, QAudioFormat::Unknown},
        {{1, 1, 8000, 0, 4, 16}, QAudioFormat::Unknown}, {{1, 0, 8000, 0, 0, 16}, QAudioFormat::Unknown},
    };
    for (const auto& [info, expected] : cases) {
      QAudioFormat format;
      QCOMPARE(WDSound::ToAudioFormat(info, format), expected != QAudioFormat::Unknown);
      if (expected != QAudioFormat::Unknown) QCOMPARE(format.sampleFormat(), expected);
    }

    // The shipped bell is a format every device takes.
    std::string image;
    QVERIFY(quorvex::platform::ReadWholeFile(kBellFile, image, nullptr, quorvex::platform::kMaxWaveFileBytes) ==
            quorvex::platform::ReadResult::Ok);
    WaveInfo info;
    QAudioFormat format;
    QVERIFY(WDSound::ParseWave(image, info));
    QVERIFY(WDSound::ToAudioFormat(info, format));
    QCOMPARE(format.sampleFormat(), QAudioFormat::Int16);
    QCOMPARE(format.channelCount(), 1);
  }

  void ringsOneBellWhenAllowed() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    qputenv("QUORVEX_CONFIG_DIR", dir.path().toUtf8());
    AlertBell bell;
    QVERIFY(!bell.RingBell(kBellFile));  // no settings: no bell

    quorvex::settings::AppOptions options;
    options.settingsFile = dir.filePath("Quorvex.ini").toStdString();
    quorvex::settings::AppContext context(options);
    context.Settings().m_bSoundEnable = 0;
    const int opens = WDSound::DeviceOpenCount();
    QVERIFY(!bell.RingBell(kBellFile));
    QCOMPARE(WDSound::DeviceOpenCount(), opens);

    context.Settings().m_bSoundEnable = 1;
    const std::string broken = dir.filePath("broken.wav").toStdString();
    QVERIFY(quorvex::platform::WriteFileAtomically(broken, "RIFF, but not a wave"));
    QVERIFY(!bell.RingBell(broken));
    QVERIFY(!bell.IsRinging());
    QVERIFY(!bell.RingBell(broken));
    QCOMPARE(WDSound::DeviceOpenCount(), opens + 2);  // each alert tries again
    QCOMPARE(WDSound::LiveCount(), 0);

    if (QMediaDevices::defaultAudioOutput().isNull()) QSKIP("no audio output");
    QVERIFY(bell.RingBell(kBellFile));
    QVERIFY(!bell.RingBell(kBellFile));
    QCOMPARE(WDSound::LiveCount(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!bell.IsRinging(), 10000);
    QCOMPARE(WDSound::LiveCount(), 0);
    QVERIFY(bell.RingBell(kBellFile));
  }

  void playsWhereADeviceExists() {
    WDSound sound;
    QCOMPARE(sound.PlayPosition(), 0u);
    if (QMediaDevices::defaultAudioOutput().isNull()) QSKIP("no audio output");
    // A tenth of a second of silence, its data chunk ahead of the format.
    const QByteArray image = Riff(Chunk("data", QByteArray(1600, '\0')) + Fmt());
    QVERIFY(sound.LoadFromMemory(image.toStdString()));
    QVERIFY(sound.Play(400, false));
    QVERIFY(sound.PlayPosition() >= 400);
    QTRY_COMPARE_WITH_TIMEOUT(sound.PlayPosition(), 0u, 10000);
    QVERIFY(sound.Play(0xffffffff, false));  // clamped to the end
    QTRY_COMPARE_WITH_TIMEOUT(sound.PlayPosition(), 0u, 10000);
    sound.SetEnabled(false);
    QVERIFY(!sound.Play(0, false));
  }
};

QTEST_MAIN(SoundTest)
#include "sound_test.moc"
