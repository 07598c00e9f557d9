#include "gui/shell/icons.h"

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QtTest>

using namespace quorvex::gui;

namespace {

// Whether the icon draws something (not only transparent pixels) at size px.
bool Draws(const QIcon& icon, int size) {
  const QImage image = icon.pixmap(size, size).toImage();
  if (image.isNull()) return false;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(image.pixel(x, y)) != 0) return true;
  return false;
}

}  // namespace

class IconsTest : public QObject {
  Q_OBJECT

 private slots:
  void everyResourceIdNameAndFileDraws() {
    const int ids[] = {128, 139, 143, 144, 145, 146, 180, 181, 182, 183, 185, 186, 187, 188, 189, 219, 261, 262};
    for (int id : ids) {
      QVERIFY2(Draws(ResourceIcon(id), 16) && Draws(ResourceIcon(id), 64), qPrintable(QString::number(id)));
    }
    const char* names[] = {icon::kApp,         icon::kBeacon,      icon::kBeaconDue,    icon::kBeaconOff,
                           icon::kBeaconAlert, icon::kBeaconError, icon::kBeaconFetch2, icon::kBeaconFetch3,
                           icon::kFolder,      icon::kFolderOpen,  icon::kTrayIdle,     icon::kNewBeacon,
                           icon::kNewFolder,   icon::kRefreshAll,  icon::kRefreshNow,   icon::kStop,
                           icon::kSave,        icon::kImport,      icon::kExport,       icon::kReport,
                           icon::kDelete,      icon::kOptions,     icon::kHelp,         icon::kAbout,
                           icon::kWrapLines,   icon::kHtmlTags};
    for (const char* name : names) QVERIFY2(Draws(Icon(QString::fromLatin1(name)), 16), name);
    QVERIFY(QFile::exists(QString::fromLatin1(icon::kSplashPath)));
    const QStringList files = QDir(QStringLiteral(":/icons")).entryList({QStringLiteral("*.svg")});
    QVERIFY(files.size() >= 33);
    for (const QString& file : files) {
      const QString name = file.chopped(4);
      QVERIFY2(Draws(Icon(name), 16) && Draws(Icon(name), 64), qPrintable(name));
    }
  }

  void unknownGivesNullIcon() {
    QTest::ignoreMessage(QtWarningMsg, "quorvex: no icon named \"no-such-icon\"");
    QVERIFY(Icon(QStringLiteral("no-such-icon")).isNull());
    QVERIFY(ResourceIcon(184).isNull());
    QVERIFY(ResourceIcon(0).isNull());
  }

  void stateIconsFollowTheImageListOrder() {
    const QList<QIcon> icons = StateIcons();
    QCOMPARE(icons.size(), state_image::kCount);
    QCOMPARE(icons[state_image::kFolderClosed].cacheKey(), Icon(icon::kFolder).cacheKey());
    QCOMPARE(icons[state_image::kFolderOpen].cacheKey(), ResourceIcon(219).cacheKey());
    QCOMPARE(icons[state_image::kAlert].cacheKey(), ResourceIcon(145).cacheKey());
    QCOMPARE(icons[0].cacheKey(), icons[state_image::kNormal].cacheKey());
    QCOMPARE(icons[state_image::kFetch3].cacheKey(), ResourceIcon(262).cacheKey());
  }
};

QTEST_MAIN(IconsTest)
#include "icons_test.moc"
