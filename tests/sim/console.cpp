// The console: a screen buffer of cells that processed output writes into as the Windows
// console does, with the cursor, the current attribute and the title.
#include <algorithm>

#include "tests/sim/state.h"

namespace sim {
namespace {

constexpr int kTabWidth = 8;

std::string CoordText(os::Coord position) {
  return std::to_string(position.X) + "," + std::to_string(position.Y);
}

bool Inside(const Console& console, os::Coord position) {
  return position.X >= 0 && position.Y >= 0 && position.X < console.width &&
         position.Y < console.height;
}

// Moves the cursor to the start of the next row; at the bottom the buffer scrolls up one row
// and the new row is blank in the current attribute.
void NewLine(Console& console) {
  console.cursor.X = 0;
  if (console.cursor.Y + 1 < console.height) {
    ++console.cursor.Y;
    return;
  }
  console.cells.erase(console.cells.begin(), console.cells.begin() + console.width);
  console.cells.resize(console.cells.size() + console.width, Cell{' ', console.attribute});
}

void Put(Console& console, std::uint8_t character) {
  console.cells[console.cursor.Y * console.width + console.cursor.X] = {character,
                                                                        console.attribute};
  if (++console.cursor.X == console.width) NewLine(console);
}

// Shared by both fills: the cells from `first` on, row after row, up to the buffer's end.
template <typename Apply>
std::uint32_t Fill(Console& console, std::uint32_t length, os::Coord first, Apply apply) {
  std::size_t start = static_cast<std::size_t>(first.Y) * console.width + first.X;
  std::size_t end = std::min(console.cells.size(), start + length);
  for (std::size_t i = start; i < end; ++i) apply(console.cells[i]);
  return static_cast<std::uint32_t>(end - start);
}

}  // namespace

bool Machine::State::IsConsoleOutput(os::Handle handle) const {
  return console.isConsole && (handle == kStdOutput || handle == kStdError);
}

void Machine::State::WriteToConsole(std::string_view bytes) {
  for (char byte : bytes) {
    switch (byte) {
      case '\r':
        console.cursor.X = 0;
        break;
      case '\n':
        NewLine(console);
        break;
      case '\b':
        if (console.cursor.X > 0) --console.cursor.X;
        break;
      case '\t':
        // Blanks up to the next tab stop, never past the row's end.
        for (int column = console.cursor.X,
                 stop = std::min<int>((column / kTabWidth + 1) * kTabWidth, console.width);
             column < stop; ++column) {
          Put(console, ' ');
        }
        break;
      case '\a':
        break;
      default:
        Put(console, static_cast<std::uint8_t>(byte));
    }
  }
}

void Machine::SetConsole(int width, int height, int largestWidth, int largestHeight) {
  if (width <= 0 || height <= 0) Misuse("a console needs at least one cell");
  Console& console = state_->console;
  console.isConsole = true;
  console.width = width;
  console.height = height;
  console.largestWidth = largestWidth;
  console.largestHeight = largestHeight;
  console.cells.assign(static_cast<std::size_t>(width) * height, Cell{' ', console.attribute});
  console.cursor = {};
}

void Machine::SetNotAConsole() { state_->console.isConsole = false; }

void Machine::SetConsoleProcessCount(std::uint32_t count) { state_->console.processCount = count; }

std::uint8_t Machine::CharAt(int x, int y) const {
  const Console& console = state_->console;
  if (!Inside(console, {static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)})) {
    Misuse("CharAt outside the buffer");
  }
  return console.cells[y * console.width + x].character;
}

std::uint16_t Machine::AttributeAt(int x, int y) const {
  const Console& console = state_->console;
  if (!Inside(console, {static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)})) {
    Misuse("AttributeAt outside the buffer");
  }
  return console.cells[y * console.width + x].attribute;
}

std::string Machine::Row(int y, int from, int count) const {
  const Console& console = state_->console;
  if (y < 0 || y >= console.height) Misuse("Row outside the buffer");
  from = std::clamp(from, 0, console.width);
  int end = count < 0 ? console.width : std::min(console.width, from + count);
  std::string bytes;
  for (int x = from; x < end; ++x)
    bytes += static_cast<char>(console.cells[y * console.width + x].character);
  return Cp852ToUtf8(bytes);
}

std::string Machine::ScreenText() const {
  std::string text;
  for (int y = 0; y < state_->console.height; ++y) {
    std::string row = Row(y);
    row.erase(row.find_last_not_of(' ') + 1);
    if (y > 0) text += '\n';
    text += row;
  }
  return text;
}

os::Coord Machine::Cursor() const { return state_->console.cursor; }

std::uint16_t Machine::CurrentAttribute() const { return state_->console.attribute; }

std::string Machine::Title() const { return state_->console.title; }

std::string Machine::Stdout() const { return state_->console.stdoutBytes; }

std::string Machine::Stderr() const { return state_->console.stderrBytes; }

}  // namespace sim

namespace os {

Handle GetStdHandle(std::int32_t which) {
  auto& s = sim::Current("GetStdHandle");
  s.Log("GetStdHandle", std::to_string(which));
  if (s.FailsByInjection("GetStdHandle", {})) return kInvalidHandle;
  switch (which) {
    case kStdInputHandle:
      return sim::kStdInput;
    case kStdOutputHandle:
      return sim::kStdOutput;
    case kStdErrorHandle:
      return sim::kStdError;
    default:
      s.lastError = kErrorInvalidHandle;
      return kInvalidHandle;
  }
}

Coord GetLargestConsoleWindowSize(Handle output) {
  auto& s = sim::Current("GetLargestConsoleWindowSize");
  s.Log("GetLargestConsoleWindowSize", "");
  if (s.FailsByInjection("GetLargestConsoleWindowSize", {})) return {};
  if (!s.IsConsoleOutput(output)) {
    s.lastError = kErrorInvalidHandle;
    return {};
  }
  return {static_cast<std::int16_t>(s.console.largestWidth),
          static_cast<std::int16_t>(s.console.largestHeight)};
}

bool FillConsoleOutputCharacterA(Handle output, char character, std::uint32_t length, Coord first,
                                 std::uint32_t* written) {
  auto& s = sim::Current("FillConsoleOutputCharacterA");
  s.Log("FillConsoleOutputCharacterA", sim::HexByte(static_cast<std::uint8_t>(character)) + "," +
                                           std::to_string(length) + "," + sim::CoordText(first));
  if (written != nullptr) *written = 0;
  if (s.FailsByInjection("FillConsoleOutputCharacterA", {})) return false;
  if (!s.IsConsoleOutput(output)) return s.Refuse(kErrorInvalidHandle);
  if (!sim::Inside(s.console, first)) return s.Refuse(kErrorInvalidParameter);
  std::uint32_t count = sim::Fill(s.console, length, first, [character](sim::Cell& cell) {
    cell.character = static_cast<std::uint8_t>(character);
  });
  if (written != nullptr) *written = count;
  return true;
}

bool FillConsoleOutputAttribute(Handle output, std::uint16_t attribute, std::uint32_t length,
                                Coord first, std::uint32_t* written) {
  auto& s = sim::Current("FillConsoleOutputAttribute");
  s.Log("FillConsoleOutputAttribute",
        sim::HexByte(attribute) + "," + std::to_string(length) + "," + sim::CoordText(first));
  if (written != nullptr) *written = 0;
  if (s.FailsByInjection("FillConsoleOutputAttribute", {})) return false;
  if (!s.IsConsoleOutput(output)) return s.Refuse(kErrorInvalidHandle);
  if (!sim::Inside(s.console, first)) return s.Refuse(kErrorInvalidParameter);
  std::uint32_t count = sim::Fill(s.console, length, first,
                                  [attribute](sim::Cell& cell) { cell.attribute = attribute; });
  if (written != nullptr) *written = count;
  return true;
}

bool SetConsoleTextAttribute(Handle output, std::uint16_t attribute) {
  auto& s = sim::Current("SetConsoleTextAttribute");
  s.Log("SetConsoleTextAttribute", sim::HexByte(attribute));
  if (s.FailsByInjection("SetConsoleTextAttribute", {})) return false;
  if (!s.IsConsoleOutput(output)) return s.Refuse(kErrorInvalidHandle);
  s.console.attribute = attribute;
  return true;
}

bool SetConsoleCursorPosition(Handle output, Coord position) {
  auto& s = sim::Current("SetConsoleCursorPosition");
  s.Log("SetConsoleCursorPosition", sim::CoordText(position));
  if (s.FailsByInjection("SetConsoleCursorPosition", {})) return false;
  if (!s.IsConsoleOutput(output)) return s.Refuse(kErrorInvalidHandle);
  if (!sim::Inside(s.console, position)) return s.Refuse(kErrorInvalidParameter);
  s.console.cursor = position;
  return true;
}

// The title belongs to the console window, which a program with redirected output still has.
bool SetConsoleTitleA(const std::string& title) {
  auto& s = sim::Current("SetConsoleTitleA");
  s.Log("SetConsoleTitleA", title);
  if (s.FailsByInjection("SetConsoleTitleA", {})) return false;
  s.console.title = title;
  return true;
}

std::uint32_t GetConsoleProcessList(std::uint32_t* processIds, std::uint32_t count) {
  auto& s = sim::Current("GetConsoleProcessList");
  s.Log("GetConsoleProcessList", std::to_string(count));
  if (s.FailsByInjection("GetConsoleProcessList", {})) return 0;
  const std::uint32_t attached = s.console.processCount;
  // The buffer is checked before the console, as Wine does.
  const std::uint32_t error = processIds == nullptr || count == 0 ? kErrorInvalidParameter
                              : attached == 0                     ? kErrorInvalidHandle
                                                                  : kErrorSuccess;
  if (error != kErrorSuccess) {
    s.Refuse(error);
    return 0;
  }
  // The program comes last, after the processes that were there before it.
  for (std::uint32_t i = 0; i < attached && attached <= count; ++i) {
    processIds[i] = sim::kFirstConsoleProcessId + i;
  }
  return attached;
}

}  // namespace os
