// What velk-convert answers with, for its single commands and the batch alike:
// the exit statuses and the texts that both print.
#pragma once

#include <string_view>

#include "combined/path_requests.h"

namespace velk {

// Exit statuses. A single command: 0 converted, 1 the conversion failed, 2 a
// header check rejected a record or the two records start at different
// moments. The batch: 0 every record converted or up to date, 1 a record
// skipped or a conversion failed, 2 nothing converted (nothing could be read,
// or the output folder takes not even the list of pairs). Both: 64 wrong usage.
inline constexpr int kExitConverted = 0;
inline constexpr int kExitConversionFailed = 1;
inline constexpr int kExitHeaderRejected = 2;
inline constexpr int kExitUsage = 64;
// The same statuses as the batch names them.
inline constexpr int kExitAllConverted = kExitConverted;
inline constexpr int kExitSomeFailed = kExitConversionFailed;
inline constexpr int kExitNothingConverted = kExitHeaderRejected;

// The options of the output form, for every conversion and the batch.
inline constexpr std::string_view kFormHelp =
    "Формат вывода / output form (analog, discrete, combined, batch):\n"
    "  --revision 1999|2013   редакция COMTRADE (по умолчанию 1999) /\n"
    "                         COMTRADE revision (default 1999)\n"
    "  --encoding cp1251|utf-8  кодировка имен (1999: cp1251, 2013: utf-8) /\n"
    "                         encoding of the names (1999: cp1251, 2013: utf-8)\n"
    "  --cff                  каждая пара одним файлом OUT.cff и OUTASCII.cff /\n"
    "                         each pair as one file, OUT.cff and OUTASCII.cff\n"
    "  --time-code ±H[hMM]    смещение часов устройства от UTC (2013; по умолчанию\n"
    "                         смещение этого компьютера) / the device clock's offset\n"
    "                         from UTC (2013; default: this computer's)\n"
    "  --time-quality X       код качества часов 0-F (2013; по умолчанию F: время не\n"
    "                         синхронизировано) / clock quality code 0-F (2013;\n"
    "                         default F: the time is not known to be synchronised)\n";

inline constexpr std::string_view kBadRevision =
    "Неверная редакция (the revision must be 1999 or 2013): ";
inline constexpr std::string_view kBadEncoding =
    "Неверная кодировка (the encoding must be cp1251 or utf-8): ";
inline constexpr std::string_view kBadTimeCode =
    "Неверное смещение от UTC (the time code must be ±H or ±HhMM, at most 14 h): ";
inline constexpr std::string_view kBadTimeQuality =
    "Неверный код качества часов (the time quality must be one hexadecimal digit): ";
inline constexpr std::string_view kClockNeeds2013 =
    "Смещение и качество часов пишутся только в редакции 2013 "
    "(--time-code and --time-quality need --revision 2013)";
inline constexpr std::string_view kUnknownCommand = "Неизвестная команда (unknown command): ";
inline constexpr std::string_view kSeeHelp = "; справка / help: velk-convert --help";
inline constexpr std::string_view kNoOptionValue =
    "Нет значения параметра (the option needs a value): ";
// A discrete pair written whose record's start pair gave no time of day.
inline constexpr std::string_view kStartLacksTime =
    "В строке пуска записи нет времени, пара начинается в 00:00:00 "
    "(the record's start line gives no time of day; the pair starts at 00:00:00)";

}  // namespace velk

namespace velk::check_texts {

// What `velk-convert check` calls each part of a record, in its Russian report.
inline constexpr std::string_view kRecord = "Запись";
inline constexpr std::string_view kRevision = "Редакция";
inline constexpr std::string_view kEncoding = "Кодировка имён";
inline constexpr std::string_view kEncodingGiven = "задана";
inline constexpr std::string_view kEncodingFound = "определена";
inline constexpr std::string_view kFileType = "Тип данных";
inline constexpr std::string_view kStation = "Подстанция";
inline constexpr std::string_view kChannels = "Каналы";
inline constexpr std::string_view kAnalog = "аналоговых";
inline constexpr std::string_view kDigital = "дискретных";
inline constexpr std::string_view kRates = "Частоты дискретизации";
inline constexpr std::string_view kFromStamps = "по меткам времени";
inline constexpr std::string_view kSamples = "Отсчёты";
inline constexpr std::string_view kAnnounced = "в конфигурации";
inline constexpr std::string_view kStart = "Начало";
inline constexpr std::string_view kTrigger = "Пуск";
inline constexpr std::string_view kDuration = "Длительность, с";
inline constexpr std::string_view kConforms = "Запись соответствует стандарту";
inline constexpr std::string_view kDeparts = "Запись читается, но отступает от стандарта";
inline constexpr std::string_view kUnreadable = "Запись не читается";
inline constexpr std::string_view kError = "ошибка";
inline constexpr std::string_view kWarning = "предупреждение";
inline constexpr std::string_view kNote = "замечание";
inline constexpr std::string_view kUnknownEncoding = "Неизвестная кодировка";
inline constexpr std::string_view kCsvTime = "Время, мс";
inline constexpr std::string_view kCsvNoRecord = "Не найден";

}  // namespace velk::check_texts
