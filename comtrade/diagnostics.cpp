#include "comtrade/diagnostics.h"

#include <algorithm>

namespace velk {

bool DiagnosticList::Has(std::string_view code) const {
  return std::any_of(all.begin(), all.end(),
                     [code](const Diagnostic& d) { return d.code == code; });
}

// The one place of the reader's texts.
const std::vector<DiagnosticKind>& DiagnosticKinds() {
  using enum Severity;
  static const std::vector<DiagnosticKind> kinds = {
      // The record cannot be read, or not beyond this point.
      {"cfg-open", kError, "Файл конфигурации не открывается"},
      {"dat-open", kError, "Файл данных не найден или не открывается"},
      {"read-error", kError, "Ошибка чтения файла"},
      {"cfg-short", kError, "Файл конфигурации кончается раньше обязательной строки"},
      {"line-long", kError, "Строка слишком длинная"},
      {"count-line", kError, "Строка числа каналов не читается"},
      {"too-many-channels", kError, "Каналов больше, чем программа читает"},
      {"channel-line", kError, "Строка канала не читается"},
      {"number", kError, "Обязательное поле не число"},
      {"rates-line", kError, "Число частот дискретизации не читается"},
      {"file-type", kError, "Неизвестный тип файла данных"},
      {"cff-section", kError, "В файле .cff нет обязательного раздела"},
      // The record reads but departs from the standard.
      {"rev-year", kWarning, "Год редакции не 1991, 1999 или 2013: читается как 1999"},
      {"count-total", kWarning, "Общее число каналов не равно сумме аналоговых и дискретных"},
      {"field-count", kWarning, "Число полей не то, что требует редакция"},
      {"channel-index", kWarning, "Номер канала не по порядку"},
      {"field-value", kWarning, "Значение поля не из допустимых"},
      {"blanks-inside", kWarning, "Пробелы внутри числа или времени"},
      {"moment", kWarning, "Дата или время не читаются"},
      {"fraction-digits", kWarning, "Доли секунды не из 6 или 9 цифр"},
      {"rate-order", kWarning, "Номера последних отсчётов частот не возрастают"},
      {"line-missing", kWarning, "Нет строки, которую требует редакция"},
      {"cfg-extra", kWarning, "Лишние строки после конца конфигурации"},
      {"encoding-2013", kWarning, "Тексты записи редакции 2013 не в UTF-8"},
      {"time-missing", kWarning, "Нет ни частоты дискретизации, ни меток времени"},
      {"dat-shorter", kWarning, "В файле данных меньше отсчётов, чем в конфигурации"},
      {"dat-longer", kWarning, "В файле данных больше отсчётов, чем в конфигурации"},
      {"dat-partial", kWarning, "Последний отсчёт файла данных обрезан"},
      {"padding-1a", kWarning, "Байты 0x1A после данных"},
      {"sample-number", kWarning, "Номера отсчётов не по порядку"},
      {"data-fields", kWarning, "Строка данных с другим числом полей"},
      {"data-value", kWarning, "Значение в файле данных не читается"},
      {"stamp-order", kWarning, "Метки времени убывают"},
      {"dat-section-size", kWarning, "Размер раздела данных не тот, что указан в его заголовке"},
      // What the reader did of something the standard allows.
      {"trailing-blanks", kNote, "Пробелы в начале или в конце полей"},
      {"line-end", kNote, "Строки кончаются LF без CR"},
      {"stamp-missing", kNote, "Меток времени нет: время по частоте дискретизации"},
      {"value-missing", kNote, "В данных есть отсутствующие значения"},
  };
  return kinds;
}

const DiagnosticKind& KindOf(std::string_view code) {
  static const DiagnosticKind internal{"internal", Severity::kError, "Внутренняя ошибка"};
  for (const DiagnosticKind& kind : DiagnosticKinds())
    if (kind.code == code) return kind;
  return internal;
}

std::string_view SeverityName(Severity severity) {
  switch (severity) {
    case Severity::kError:
      return "error";
    case Severity::kWarning:
      return "warning";
    case Severity::kNote:
      break;
  }
  return "note";
}

}  // namespace velk
