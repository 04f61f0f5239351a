#include "comtrade/report.h"

#include "comtrade/cp1251.h"
#include "comtrade/number_format.h"

namespace velk {

std::string MessageText(const Outcome& outcome) {
  switch (outcome.failure) {
    case Failure::kNone:
      return "";
    case Failure::kFileNotFound:
      return std::string(Cp1251("Файл не найден"));
    case Failure::kFileDamaged:
      return std::string(Cp1251("Файл поврежден"));
    case Failure::kOpenError:
      return std::string(Cp1251("Ошибка открытия файла"));
    case Failure::kWriteError:
      return std::string(Cp1251("Ошибка записи файла"));
    case Failure::kNotFound:
      return std::string(Cp1251("Не найден"));
    case Failure::kDamaged:
      return std::string(Cp1251("Поврежден"));
    case Failure::kDamagedAtLine:
      return std::string(Cp1251("Поврежден")) + Decimal(outcome.line);
  }
  return "";
}

}  // namespace velk
