#include "app/qt/qt_text.h"

#include <QByteArray>
#include <QFile>

#include "comtrade/cp1251.h"

namespace velk {

QString FromCp1251(std::string_view text) {
  return QString::fromStdString(Cp1251ToUtf8(text));
}

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString FromPath(std::string_view path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string ToPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

}  // namespace velk
