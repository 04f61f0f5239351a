// Every fixed text that the converter shows or writes, in code page 1251.
#pragma once

#include "app/cp1251.h"

namespace velk::text {

// Message boxes.
inline constexpr auto kFileNotFound = Cp1251("Файл не найден");
inline constexpr auto kFileDamaged = Cp1251("Файл поврежден");
inline constexpr auto kOpenError = Cp1251("Ошибка открытия файла");
inline constexpr auto kWriteError = Cp1251("Ошибка записи файла");
inline constexpr auto kOverwriteQuestion = Cp1251("Файл уже существует. Перезаписать?");

// File dialogs: "description|pattern".
inline constexpr auto kAnalogFilter = Cp1251("Аналог файлы (*.flh)|*.FLH");
inline constexpr auto kDiscreteFilter = Cp1251("Дискр файлы (*.txt)|*.TXT");
inline constexpr auto kComtradeFilter = Cp1251("COMTRADE файлы (*.cfg)|*.CFG");

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

// Header-check labels; the discrete record's damage text is followed by a line number.
inline constexpr auto kNotFound = Cp1251("Не найден");
inline constexpr auto kDamaged = Cp1251("Поврежден");
inline constexpr auto kNoDeviceType = Cp1251("--");
inline constexpr auto kFallbackDeviceType = Cp1251("K7R");
inline constexpr auto kUnknownYear = Cp1251("????");

// The station of a discrete record, which names none.
inline constexpr auto kDiscreteStation = Cp1251("имя ячейки");

// Words of a discrete record.
inline constexpr auto kWordRecord = Cp1251("Запись");
inline constexpr auto kWordFrequency = Cp1251("Частота");
inline constexpr auto kWordResistance = Cp1251("Сопрот");
inline constexpr auto kWordDistance = Cp1251("Расстояние");
inline constexpr auto kWordDistanceColon = Cp1251("Расстояние:");
inline constexpr auto kWordCount = Cp1251("К-во");
inline constexpr auto kWordTotal = Cp1251("Суммарный");
inline constexpr char kDropOutLetter = Cp1251("У").bytes[0];  // signal dropped out
inline constexpr char kPickUpLetter = Cp1251("П").bytes[0];   // signal picked up

}  // namespace velk::text
