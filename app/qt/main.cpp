// velk-comtrade: the converter's window.
#include "app/qt/program.h"

int main(int argc, char** argv) {
  return velk::RunWindowProgram(argc, argv);
}
