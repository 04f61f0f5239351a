// velk-convert batch: every record of a folder into COMTRADE in one command,
// the command line's face of the folder batch (batch/folder_batch.h).
//
//   velk-convert batch [--recursive] [--force] [--jobs N] [--report FILE.json] IN OUT
//
// Every .flh and .txt record of IN (and, with --recursive, of its subfolders,
// but never of the batch's own output folders) passes the window's header
// check; a record it rejects is skipped and reported with the label text, such
// as "Поврежден7". Each sound record is converted into OUT/comtrade_anl/ or
// OUT/comtrade_dis/, and each analog and discrete record that velk-convert
// combined would convert together (StartsAgree), with no other candidate, into
// OUT/comtrade_uni/, named after the analog record. Each pair holds the bytes
// its single velk-convert command writes. Conversions run on N threads (by
// default one per core).
//
// Runs are remembered in OUT/velk-batch.lst: which records each pair was made
// from, and their size and time of change when it was made. A pair whose
// records are unchanged and whose four files are all present is up to date
// and left alone (--force converts it again); a pair never finishes unnoticed,
// since it is claimed there before it is written. A name that a file not made
// by the batch for the same records holds is never written over: the pair takes
// the next free name, NAME_2, NAME_3 ...
//
// Exit status: 0 every record converted or up to date; 1 a record was skipped
// or a conversion failed; 2 nothing converted: nothing could be read (no
// folder IN, no record in it, or no record passed its check), or the list of
// pairs cannot be written into OUT (then that alone is said, and nothing is
// written); 64 wrong usage.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "comtrade/output_form.h"

namespace velk::batch {

// The batch's part of velk-convert --help, Russian and English.
std::string_view Help();

// Runs velk-convert batch; args are those after "batch". The summary goes to
// out, messages to err, and a progress line to err when progress is true.
// Every pair is written in form.
int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             bool progress, const OutputForm& form = {});

// True iff the error stream of the process is a terminal.
bool ErrorStreamIsTerminal();

}  // namespace velk::batch
