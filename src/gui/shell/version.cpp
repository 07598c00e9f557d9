#include "gui/shell/version.h"

#include <QDate>
#include <QLocale>

namespace quorvex::gui {
namespace {

constexpr char kVersion[] = "0.1";
constexpr int kReleaseYear = 2026;
constexpr int kReleaseMonth = 12;
constexpr int kReleaseDay = 6;

}  // namespace

QString VersionLine(bool shortMonth) {
  const QDate date(kReleaseYear, kReleaseMonth, kReleaseDay);
  return QStringLiteral("Ver %1 dated %2")
      .arg(QLatin1String(kVersion),
           QLocale::c().toString(date, shortMonth ? QStringLiteral("dd MMM yyyy") : QStringLiteral("dd MMMM yyyy")));
}

}  // namespace quorvex::gui
