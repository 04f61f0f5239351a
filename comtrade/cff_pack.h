// A pair written as one file each: OUT.cff holds the BINARY pair, OUTASCII.cff
// the ASCII pair, each in the sections
//   --- file type: CFG ---   the configuration file
//   --- file type: INF ---   (empty: our records carry no information file)
//   --- file type: HDR ---   (empty: nor a header file)
//   --- file type: DAT BINARY: N ---   N bytes of data records, or
//   --- file type: DAT ASCII ---       the data lines.
// A conversion writes its four files under work names beside the chosen path
// first ("OUT.part.cfg" ...); they are packed into the two .cff files and
// removed, whether the conversion succeeded or not.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "comtrade/output_form.h"
#include "comtrade/pair_paths.h"
#include "comtrade/report.h"

namespace velk {

// The chosen path of the work pair a one-file conversion into chosen_cfg writes.
std::string WorkCfgFor(const std::string& chosen_cfg);

// Writes the finished pair of four files work as the two files out. Reports
// "Ошибка открытия файла" for a file that cannot be created or read and "Ошибка
// записи файла" for one that cannot be written (removing it), and returns false.
bool PackAsCff(Reporter& reporter, const PairPaths& work, const CffPaths& out);

// Converts into the pair at chosen_cfg in form: convert(out_cfg) writes the
// four files at out_cfg, the chosen path itself unless form.one_file, when the
// work pair is written and packed. A .cff that would replace one of records is
// refused ("Ошибка открытия файла") before anything is written. Returns the
// first report, or success.
Outcome ConvertInForm(const OutputForm& form, const std::string& chosen_cfg,
                      const std::vector<std::string>& records, Reporter& reporter,
                      const std::function<Outcome(const std::string& out_cfg)>& convert);

}  // namespace velk
