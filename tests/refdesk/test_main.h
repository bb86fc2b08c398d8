// The refdesk_ui_test executable runs several QTest classes; each test file
// offers one function that runs its class with the command line given.
#pragma once

namespace refdesk_test {

int RunConvertFlowTest(int argc, char** argv);
int RunProgramFolderTest(int argc, char** argv);
int RunSdiAppFormTest(int argc, char** argv);
int RunProcessRunnerTest(int argc, char** argv);
int RunQtDialogsTest(int argc, char** argv);

}  // namespace refdesk_test
