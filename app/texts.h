// The window's fixed texts, in code page 1251: captions, dialog filters and the
// overwrite question. The messages of the records' checks and conversions are
// the engine's (comtrade/report.h).
#pragma once

#include "comtrade/cp1251.h"

namespace velk::text {

inline constexpr auto kOverwriteQuestion = Cp1251("Файл уже существует. Перезаписать?");

// File dialogs: "description|pattern".
inline constexpr auto kAnalogFilter = Cp1251("Аналог файлы (*.flh)|*.FLH");
inline constexpr auto kDiscreteFilter = Cp1251("Дискр файлы (*.txt)|*.TXT");
inline constexpr auto kComtradeFilter = Cp1251("COMTRADE файлы (*.cfg)|*.CFG");
inline constexpr auto kCffFilter = Cp1251("COMTRADE файлы (*.cff)|*.CFF");

// The main window and the titles of its message boxes.
inline constexpr auto kWindowCaption = Cp1251("COMTRADE конвертер для ВЕЛК");
inline constexpr auto kCloseButton = Cp1251("Завершить");
inline constexpr auto kDISGroupBox = Cp1251(" Дискретный регистратор ");
inline constexpr auto kDISButton = Cp1251("Дискр файл");
inline constexpr auto kANLGroupBox = Cp1251(" Аналоговый регистратор ");
inline constexpr auto kFLHButton = Cp1251("FLH файл");
inline constexpr auto kConvertButton = Cp1251("Конвертировать");
inline constexpr auto kSovmestButton = Cp1251("Совместить");
inline constexpr auto kTipVELKLabel = Cp1251("Тип ВЕЛК");
inline constexpr auto kErrorTitle = Cp1251("Ошибка");
inline constexpr auto kInformationTitle = Cp1251("Информация");
// The overwrite question's buttons, whatever the system's language.
inline constexpr auto kYesButton = Cp1251("Да");
inline constexpr auto kNoButton = Cp1251("Нет");

// The main window's menu bar; "&" marks the letter Alt reaches it by. The
// shortcuts (F3, Ctrl+Shift+O) are the views' own.
inline constexpr auto kFileMenu = Cp1251("&Файл");
inline constexpr auto kConvertFolderItem = Cp1251("Преобразовать &папку…");
inline constexpr auto kExitItem = Cp1251("В&ыход");
inline constexpr auto kViewMenu = Cp1251("&Вид");
inline constexpr auto kViewerItem = Cp1251("&Просмотр записи");
inline constexpr auto kHelpMenu = Cp1251("&Справка");
inline constexpr auto kAboutItem = Cp1251("&О программе");
inline constexpr auto kAboutTitle = Cp1251("О программе");
inline constexpr auto kVersion = Cp1251("Версия ");
inline constexpr auto kFoldersFileAt = Cp1251("Последние папки записей хранятся в файле");

// The viewer window: its title's start, and its own menu.
inline constexpr auto kViewerTitle = Cp1251("Просмотр записи — ");
inline constexpr auto kPrimaryItem = Cp1251("П&ервичные значения");
inline constexpr auto kWholeRecordItem = Cp1251("&Вся запись");
inline constexpr auto kCloseViewerItem = Cp1251("&Закрыть");
// «Файл → Открыть запись…» of both windows, and its dialog's filter.
inline constexpr auto kOpenRecordItem = Cp1251("&Открыть запись…");
inline constexpr auto kOpenRecordTitle = Cp1251("Открыть запись");
inline constexpr auto kRecordFilter = Cp1251(
    "Записи ВЕЛК и COMTRADE (*.flh, *.txt, *.cfg, *.cff)|*.flh;*.txt;*.cfg;*.cff|"
    "COMTRADE (*.cfg, *.cff)|*.cfg;*.cff|Все файлы (*.*)|*.*");
// The viewer's «Файл»: the view kept as a picture or on paper.
inline constexpr auto kSavePictureItem = Cp1251("Со&хранить рисунок…");
inline constexpr auto kSavePictureTitle = Cp1251("Сохранить рисунок");
inline constexpr auto kPictureFilter =
    Cp1251("Рисунок SVG (*.svg)|*.svg|Рисунок PNG (*.png)|*.png");
inline constexpr auto kPictureWidthLabel = Cp1251("Ширина рисунка, точек (0 — как окно):");
inline constexpr auto kPictureNotSaved = Cp1251("Рисунок не сохранен");
inline constexpr auto kPrintItem = Cp1251("&Печать…");
inline constexpr auto kNotPrinted = Cp1251("Запись не напечатана");
// The viewer's «Вид» and a band's context menu.
inline constexpr auto kChannelsItem = Cp1251("&Каналы…");
inline constexpr auto kChannelsTitle = Cp1251("Каналы");
inline constexpr auto kAllChannelsButton = Cp1251("&Все");
inline constexpr auto kNoChannelsButton = Cp1251("&Ни одного");
inline constexpr auto kChangingSignalsButton = Cp1251("&Только изменяющиеся");
inline constexpr auto kClockTimeItem = Cp1251("Время &по часам");
inline constexpr auto kFitToViewItem = Cp1251("&Масштаб по видимой части");
inline constexpr auto kPhasorPaneItem = Cp1251("Векторная &диаграмма");
inline constexpr auto kEventsPaneItem = Cp1251("&События");
inline constexpr auto kHideChannelItem = Cp1251("&Скрыть канал");
inline constexpr auto kShowAllItem = Cp1251("Показать &все каналы");
inline constexpr auto kReferenceItem = Cp1251("&Опорный для углов");
inline constexpr auto kEventsTitle = Cp1251("События");
// Why a PNG picture was not written, besides a file that cannot be opened or written.
inline constexpr auto kPictureNoMemory = Cp1251("Недостаточно памяти для рисунка");
inline constexpr auto kNoPngEncoder = Cp1251("В системе нет кодировщика PNG");

// «Преобразовать папку…»: its dialog, the progress and the summary.
inline constexpr auto kFolderDialogTitle = Cp1251("Преобразовать папку");
inline constexpr auto kRecordsFolderLabel = Cp1251("Папка записей:");
inline constexpr auto kOutputFolderLabel = Cp1251("Папка вывода:");
inline constexpr auto kBrowseButton = Cp1251("…");
inline constexpr auto kRecursiveBox = Cp1251("Включая вложенные папки");
inline constexpr auto kForceBox = Cp1251("Преобразовать заново");
inline constexpr auto kStartButton = Cp1251("Начать");
inline constexpr auto kCancelButton = Cp1251("Отмена");
inline constexpr auto kProgressTitle = Cp1251("Преобразование папки");
inline constexpr auto kSummaryTitle = Cp1251("Итог преобразования папки");
inline constexpr auto kOpenOutputButton = Cp1251("Открыть папку вывода");
inline constexpr auto kCopyButton = Cp1251("Копировать");
inline constexpr auto kCloseSummaryButton = Cp1251("Закрыть");

// The viewer's events list: a discrete signal picked up or dropped out.
inline constexpr auto kSignalPickedUp = Cp1251("сработал");
inline constexpr auto kSignalDroppedOut = Cp1251("вернулся");

// TipLabel when no analog record passed its check.
inline constexpr auto kNoDeviceType = Cp1251("--");

// DateLabelDIS of a record whose start pair gives no time of day, in place of
// the time; and what the window tells once it converted such a record.
inline constexpr auto kNoStartTime = Cp1251("время не указано");
inline constexpr auto kStartLacksTime =
    Cp1251("В строке пуска записи нет времени: пара начинается в 00:00:00.");

// A file handed to the program to be shown (from Explorer or the command line)
// that no viewer shows; the file's name follows on the next line.
inline constexpr auto kNotARecord = Cp1251(
    "Программа показывает записи ВЕЛК (.flh, .txt) и COMTRADE (.cfg, .cff); этот файл не из них.");

// «Параметры → Формат вывода…»: the form the conversions write their pairs in.
inline constexpr auto kSettingsMenu = Cp1251("П&араметры");
inline constexpr auto kOutputFormItem = Cp1251("&Формат вывода…");
inline constexpr auto kOutputFormTitle = Cp1251("Формат вывода");
inline constexpr auto kRevisionLabel = Cp1251("Редакция COMTRADE:");
inline constexpr auto kRevision1999 = Cp1251("1999 (как прежде)");
inline constexpr auto kRevision2013 = Cp1251("2013");
inline constexpr auto kEncodingLabel = Cp1251("Кодировка имён:");
inline constexpr auto kEncodingCp1251 = Cp1251("Windows-1251");
inline constexpr auto kEncodingUtf8 = Cp1251("UTF-8");
inline constexpr auto kOneFileBox = Cp1251("Одним файлом .cff на пару");
inline constexpr auto kTimeCodeLabel = Cp1251("Часы устройства от UTC (+3, -5h30):");
inline constexpr auto kOkButton = Cp1251("ОК");

}  // namespace velk::text
