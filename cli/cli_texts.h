// What velk-convert answers with, for its single commands and the batch alike:
// the exit statuses and the texts that both print.
#pragma once

#include <string_view>

#include "batch/batch_engine.h"

namespace velk {

// Exit statuses. A single command: 0 converted, 1 the conversion failed, 2 a
// header check rejected a record or the two records start at different
// moments. The batch: 0 every record converted or up to date, 1 a record
// skipped or a conversion failed, 2 nothing could be read. Both: 64 wrong usage.
inline constexpr int kExitConverted = 0;
inline constexpr int kExitConversionFailed = 1;
inline constexpr int kExitHeaderRejected = 2;
inline constexpr int kExitUsage = 64;
// The same statuses as the batch names them.
inline constexpr int kExitAllConverted = kExitConverted;
inline constexpr int kExitSomeFailed = kExitConversionFailed;
inline constexpr int kExitNothingRead = kExitHeaderRejected;

// What a single combined command and a batch pair both say of records that
// start at different moments.
using batch::kMomentsDiffer;

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
