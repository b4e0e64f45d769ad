// Whole runs that extract: every member reaches the work directory byte for byte with its time
// (stored, imploded with coded or plain literals and each dictionary, a folder tree), the
// script's program runs from there, the end removes it all, and zbpack's own verify and extract
// read the same installers as the stub does.
#include <string>
#include <vector>

#include "e2e_support.h"

namespace e2e {
namespace {

struct ExtractCase {
  const char* name;
  std::vector<std::string> options;
  bool tree;  // the inputs are one folder tree, with the program in a subfolder
};

class ExtractTest : public Session, public ::testing::WithParamInterface<ExtractCase> {
 protected:
  // Inputs of every kind of content; the script holds the run once its program has run.
  Files FlatInputs() {
    const std::vector<std::pair<std::string, std::string>> contents = {
        {"install.txt",
         CrLfScript({"; a comment", "#ZbE2EHold setup.exe held priority ZubrexSea"})},
        {"readme.txt", WordsText(40000, 7)},
        {"noise.bin", RandomText(3000, 11)},
        {"big.dat", MixedText(5 * 1024 * 1024 + 123, 5)},
        {"one.bin", "Z"},
        {"empty.txt", ""},
        {"setup.exe", ReadFileBytes(ScriptToolPath())},
    };
    Files files;
    for (const auto& [name, bytes] : contents) {
      files.push_back({name, WriteInput(name, bytes, SampleFileTime(int(files.size()) + 1))});
    }
    return files;
  }

  // 240 files in twelve folders two deep, and the program in tools\.
  Files TreeInputs() {
    const std::string tree = Dir() + "\\in\\tree";
    std::vector<std::string> folders = {"", "\\tools"};
    for (int a = 0; a < 4; ++a) {
      const std::string top = "\\docs" + std::to_string(a);
      folders.push_back(top);
      for (int b = 0; b < 3; ++b) folders.push_back(top + "\\part" + std::to_string(b));
    }
    for (const std::string& folder : folders) {
      EXPECT_TRUE(CreateDirectoryA((tree + folder).c_str(), nullptr)) << tree << folder;
    }
    Files files = {
        {"install.txt",
         WriteInput("tree\\install.txt",
                    CrLfScript({"#ZbE2EHold tools\\setup.exe held priority ZubrexSea"}),
                    SampleFileTime(40))},
        {"tools\\setup.exe",
         WriteInput("tree\\tools\\setup.exe", ReadFileBytes(ScriptToolPath()), SampleFileTime(41))},
    };
    for (int i = 0; i < 240; ++i) {
      const std::string name = "docs" + std::to_string(i % 4) + "\\part" + std::to_string(i % 3) +
                               "\\file" + std::to_string(i) + ".txt";
      files.push_back({name, WriteInput("tree\\" + name, WordsText(50 + 97 * i, 40 + i),
                                        SampleFileTime(42 + i))});
    }
    return files;
  }
};

TEST_P(ExtractTest, MembersArriveWithTheirTimesTheScriptRunsThereAndAllIsRemoved) {
  const ExtractCase& c = GetParam();
  const Files files = c.tree ? TreeInputs() : FlatInputs();
  std::vector<std::string> inputs, names;
  for (const auto& [name, input] : files) {
    inputs.push_back(input);
    names.push_back(name);
  }
  if (c.tree) inputs = {Dir() + "\\in\\tree"};
  std::vector<std::string> options = c.options;
  options.insert(options.end(), {"--script", "install.txt"});
  ASSERT_TRUE(Pack("Zubrex Test Product", options, inputs));

  HeldWindow hold("ZbE2EHold");
  ASSERT_TRUE(Launch());
  HWND status = ToStatus("Zubrex Test Product");
  ASSERT_NE(status, nullptr);
  ASSERT_TRUE(WaitToolTag("held"));
  ExpectFiles(WorkDir(), files);
  const std::vector<ToolRun> runs = ReadToolLog(ToolLogPath());
  ASSERT_EQ(runs.size(), 1u);
  const std::string program = c.tree ? "\\tools\\setup.exe" : "\\setup.exe";
  EXPECT_EQ(lstrcmpiA(runs[0].module.c_str(), (WorkDir() + program).c_str()), 0) << runs[0].module;
  EXPECT_EQ(lstrcmpiA(runs[0].cwd.c_str(), WorkDir().c_str()), 0) << runs[0].cwd;
  // The installer idles while it waits for its program.
  EXPECT_EQ(runs[0].priority, THREAD_PRIORITY_IDLE);
  if (!c.tree) {
    EXPECT_EQ(Entries(WorkDir()), Sorted(names));
  }
  hold.Release();
  FinishWithOk(status);  // the work directory, its folders included, is gone

  const std::string out = ExpectPackerReads(0);
  ExpectFiles(out, files);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ExtractTest,
    ::testing::Values(
        // Random bytes and the empty file stored, the rest imploded with coded literals.
        ExtractCase{"StoredAndAsciiImploded", {"--method", "auto", "--ascii"}, false},
        ExtractCase{"BinaryImplodedSmallestDictionary",
                    {"--method", "implode", "--binary", "--dict", "1024"},
                    false},
        ExtractCase{"FolderTree", {}, true}),
    CaseName());

}  // namespace
}  // namespace e2e
