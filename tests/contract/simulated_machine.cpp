// Native set-up: the suite runs on one simulated machine, prepared to look like the Windows
// that the suite meets under Wine. Standard output is not a console and the program has none
// (as under a test runner with piped output), the test program has a version resource, the
// helper program and the console font lie beside it, and kernel32.dll can be loaded.
#include <fstream>
#include <iterator>
#include <memory>

#include "tests/contract/contract.h"
#include "tests/sim/machine.h"

namespace contract {
namespace {

std::string Unquoted(const std::string& text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    return text.substr(1, text.size() - 2);
  }
  return text;
}

// What the real helper program does: creates the file named by its parameter.
void HelperStarts(sim::Machine& machine, const std::string& parameters,
                  const std::string& directory) {
  const std::string name = Unquoted(parameters);
  if (name.find(':') != std::string::npos) {
    machine.AddFile(name, kHelperMark);
    return;
  }
  std::string base = directory;
  if (base.empty()) os::GetCurrentDirectoryA(os::kMaxPath, base);
  if (!base.ends_with('\\')) base += '\\';
  machine.AddFile(base + name, kHelperMark);
}

unsigned long FakeEntryPoint() { return 0; }

sim::Machine* TheMachine = nullptr;

class SimulatedMachine : public ::testing::Environment {
 public:
  void SetUp() override {
    machine_ = std::make_unique<sim::Machine>();
    sim::Machine& machine = *machine_;
    TheMachine = &machine;
    machine.SetNotAConsole();
    machine.SetConsoleProcessCount(0);

    std::string self;
    os::GetModuleFileNameA(os::kMaxPath, self);
    machine.SetFileVersion(self, kOwnVersionMS >> 16, kOwnVersionMS & 0xFFFF, kOwnVersionLS >> 16,
                           kOwnVersionLS & 0xFFFF);

    sim::Program helper;
    helper.onStart = [&machine](const std::string& parameters, const std::string& directory) {
      HelperStarts(machine, parameters, directory);
    };
    machine.AddProgram(HelperProgram(), std::move(helper));

    machine.AddLibrary(Kernel32Path(), kKernel32Entry, reinterpret_cast<void*>(&FakeEntryPoint));

    std::ifstream font(SANIVO_CONSOLE_FONT_FILE, std::ios::binary);
    ASSERT_TRUE(font) << SANIVO_CONSOLE_FONT_FILE;
    machine.AddFile(ConsoleFontFile(), std::string(std::istreambuf_iterator<char>(font), {}));
  }

  void TearDown() override { machine_.reset(); }

 private:
  std::unique_ptr<sim::Machine> machine_;
};

}  // namespace

// The simulation keeps the link; the suite does not use the letter for anything else.
SecondDriveLetter::SecondDriveLetter(const std::string& folder) : root_("Q:\\") {
  TheMachine->AddLink(root_, folder);
}
SecondDriveLetter::~SecondDriveLetter() = default;

bool ReadOnlyFilesRefuseWriting() { return true; }

std::uint32_t UnlockingAnUnlockedRangeError() { return os::kErrorNotLocked; }

namespace {

const auto* const kMachine = ::testing::AddGlobalTestEnvironment(new SimulatedMachine);

}  // namespace
}  // namespace contract
