// Finishing a COMTRADE pair: the ASCII configuration and data files derived by
// reading the BINARY pair back, and the checks every written file passes.
#pragma once

#include <cstdint>
#include <string>

#include "comtrade/data_text.h"
#include "comtrade/file_io.h"
#include "comtrade/pair_paths.h"
#include "comtrade/report.h"

namespace velk {

// Creates path for writing; on failure reports "Ошибка открытия файла" and returns false.
bool CreateOrReport(Reporter& reporter, OutFile& file, const std::string& path);
// Opens path for reading; on failure reports "Ошибка открытия файла" and returns false.
bool OpenOrReport(Reporter& reporter, InFile& file, const std::string& path);

// Closes a file that a conversion wrote. When any write to it failed (a full
// disk), reports "Ошибка записи файла", removes the unfinished file and returns false.
bool FinishWritten(Reporter& reporter, OutFile& file);

// Writes the ASCII configuration file: the BINARY one copied line by line, the
// line that is exactly "BINARY" written as "ASCII", and one empty line more at
// the end (the read that meets the end of the file yields it), which the pairs
// of revision 1999 have always had; without final_empty_line the copy ends as
// the BINARY file does. Lines end in CR LF. When second_line is given it
// receives line 2 (the channel counts). Reports "Ошибка открытия файла" and
// returns false when the ASCII file cannot be created or the BINARY one cannot
// be read.
bool MakeAsciiConfig(Reporter& reporter, const PairPaths& pair, std::string* second_line,
                     bool final_empty_line = true);

// Creates the ASCII data file and opens the BINARY data file for reading back.
// Reports "Ошибка открытия файла" and returns false when either fails (the ASCII
// file is then removed again).
bool OpenAsciiData(Reporter& reporter, const PairPaths& pair, OutFile& ascii, InFile& binary);

// Room for the start of an ASCII data line: "sample number,time stamp".
inline constexpr std::size_t kLineHeadRoom = 2 * kDecimalRoom + 1;

// Puts "sample number,time stamp" of a BINARY record at out (kLineHeadRoom
// bytes of room); returns the end of what it put.
inline char* PutLineHead(char* out, const unsigned char* record, SampleNumberText& numbers) {
  out = numbers.Put(out, LittleI32(record));
  *out++ = ',';
  return PutDecimal(out, LittleI32(record + 4));
}

// Reads the BINARY data file back and has print_line(record, ascii) print the
// ASCII line of each record of record_size bytes. Stops at a record whose sample
// number is 0 or that the file cannot hold whole. Reports "Ошибка открытия файла"
// and returns false when a file cannot be opened, "Ошибка записи файла" when the
// ASCII file cannot be written.
template <typename PrintLine>
bool PrintBinaryRecords(Reporter& reporter, const PairPaths& pair, std::int64_t record_size,
                        PrintLine&& print_line) {
  OutFile ascii;
  InFile binary;
  if (!OpenAsciiData(reporter, pair, ascii, binary)) return false;
  const auto size = static_cast<std::size_t>(record_size);
  for (std::int64_t left = binary.Size(); left >= record_size && ascii.ok(); left -= record_size) {
    const unsigned char* record = binary.Take(size);
    if (record == nullptr) break;  // the file shrank while being read
    if (LittleI32(record) == 0) break;
    print_line(record, ascii);
  }
  return FinishWritten(reporter, ascii);
}

// Writes the ASCII data file: one line per BINARY record of record_size bytes,
// "sample number,time stamp" followed by what print_rest prints for the rest of
// the record, then CR LF. print_rest(rest, text) is given the record's bytes
// after its time stamp and appends "," and each value to text. Stops and fails
// as PrintBinaryRecords.
template <typename PrintRest>
bool MakeAsciiData(Reporter& reporter, const PairPaths& pair, std::int64_t record_size,
                   PrintRest&& print_rest) {
  SampleNumberText numbers;
  return PrintBinaryRecords(reporter, pair, record_size,
                            [&](const unsigned char* record, OutFile& ascii) {
                              ascii.Commit(PutLineHead(ascii.Room(kLineHeadRoom), record, numbers));
                              print_rest(record + 8, ascii);
                              ascii.Write("\r\n", 2);
                            });
}

// The same for records whose rest prints in at most rest_room bytes (about a
// kilobyte at most, for 8 analog and 512 digital channels): put_rest(rest, out)
// puts it at out and returns the end of what it put. Each line is put straight
// into the write buffer in one piece.
template <typename PutRest>
bool MakeAsciiData(Reporter& reporter, const PairPaths& pair, std::int64_t record_size,
                   std::size_t rest_room, PutRest&& put_rest) {
  SampleNumberText numbers;
  return PrintBinaryRecords(reporter, pair, record_size,
                            [&](const unsigned char* record, OutFile& ascii) {
                              char* out = ascii.Room(kLineHeadRoom + rest_room + 2);
                              out = put_rest(record + 8, PutLineHead(out, record, numbers));
                              *out++ = '\r';
                              *out++ = '\n';
                              ascii.Commit(out);
                            });
}

}  // namespace velk
