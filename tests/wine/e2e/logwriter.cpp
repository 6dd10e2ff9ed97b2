// One writer of the shared-log stress scenario: waits until the start file appears, so that
// every writer of every prefix starts in the same moment, then appends records through the
// program's own log writer, one at a time, each message the writer's name and the record's
// number.
// Usage: logwriter.exe <log> <writer name> <ready file to create> <start file to wait for>
//                      <records>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "app/run_log.h"

int main(int argc, char** argv) {
  if (argc != 6) return 2;
  const HANDLE ready = CreateFileA(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready == INVALID_HANDLE_VALUE) return 2;
  CloseHandle(ready);
  for (int waited = 0; GetFileAttributesA(argv[4]) == INVALID_FILE_ATTRIBUTES; waited += 2) {
    if (waited > 300000) return 2;
    Sleep(2);
  }
  const int records = std::atoi(argv[5]);
  for (int number = 1; number <= records; ++number) {
    sanivo::TRunRecord record = sanivo::RecordOfThisMachine();
    record.Repair = "zadna";
    record.Result = "neni-potreba";
    record.Message = std::string(argv[2]) + "#" + std::to_string(number);
    if (!sanivo::AppendRunRecord(argv[1], record)) return 1;
  }
  return 0;
}
