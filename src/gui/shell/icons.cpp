#include "gui/shell/icons.h"

#include <QFile>
#include <QHash>
#include <QtDebug>

namespace quorvex::gui {

QIcon Icon(const QString& name) {
  // Missing names are cached too, so the warning comes once per name.
  static QHash<QString, QIcon> cache;
  auto found = cache.constFind(name);
  if (found != cache.constEnd()) return *found;
  const QString path = QStringLiteral(":/icons/%1.svg").arg(name);
  QIcon icon;
  if (QFile::exists(path))
    icon = QIcon(path);
  else
    qWarning("quorvex: no icon named \"%s\"", qPrintable(name));
  cache.insert(name, icon);
  return icon;
}

QIcon ResourceIcon(int resourceId) {
  switch (resourceId) {
    case res::kAppIcon:
      return Icon(icon::kApp);
    case res::kBeaconNormal:
      return Icon(icon::kBeacon);
    case res::kBeaconDue:
      return Icon(icon::kBeaconDue);
    case res::kBeaconOff:
      return Icon(icon::kBeaconOff);
    case res::kBeaconAlert:
      return Icon(icon::kBeaconAlert);
    case res::kBeaconError:
      return Icon(icon::kBeaconError);
    case res::kFolderOpen:
      return Icon(icon::kFolderOpen);
    case res::kFetchFrame2:
      return Icon(icon::kBeaconFetch2);
    case res::kFetchFrame3:
      return Icon(icon::kBeaconFetch3);
    case res::kTrayIdle:
      return Icon(icon::kTrayIdle);
    default:
      break;
  }
  // The animation frames are numbered files: tray-working-2..4 (181..183), tray-alert-1..5 (185..189).
  if (resourceId > res::kTrayWorkingFirst && resourceId <= res::kTrayWorkingLast)
    return Icon(QStringLiteral("tray-working-%1").arg(resourceId - res::kTrayWorkingFirst + 1));
  if (resourceId >= res::kTrayAlertFirst && resourceId <= res::kTrayAlertLast)
    return Icon(QStringLiteral("tray-alert-%1").arg(resourceId - res::kTrayAlertFirst + 1));
  return QIcon();
}

QList<QIcon> StateIcons() {
  // Position 6 is the closed folder in every view that shows these, though the resource listed there
  // (128) is the application icon.
  return {ResourceIcon(res::kBeaconNormal),
          ResourceIcon(res::kBeaconDue),
          ResourceIcon(res::kBeaconOff),
          ResourceIcon(res::kBeaconAlert),
          ResourceIcon(res::kBeaconError),
          ResourceIcon(res::kFolderOpen),
          Icon(icon::kFolder),
          ResourceIcon(res::kBeaconNormal),
          ResourceIcon(res::kFetchFrame2),
          ResourceIcon(res::kFetchFrame3)};
}

}  // namespace quorvex::gui
