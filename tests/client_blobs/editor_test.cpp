// Running the user's editor on a file: which editor, how the command is
// formed, and what counts as a change.
#include <sys/stat.h>

#include "blob_test_support.h"

namespace blob_tests {
namespace {

class blob_editor : public editor_test {
  protected:
    void SetUp() override
    {
        editor_test::SetUp();
        write_file("doc.txt", "text\n");
    }

    std::string runs() const { return file_exists(log_path) ? read_file(log_path) : ""; }
};

TEST_F(blob_editor, ChoosesVisualThenEditorThenVi)
{
    // A "vi" of our own, first on the path.
    const std::string bin = side_path("bin");
    ASSERT_EQ(::mkdir(bin.c_str(), 0700), 0);
    write_file(bin + "/vi", "#!/bin/sh\nprintf 'vi %s\\n' \"$1\" >> \"$EDIT_LOG\"\n"
                            "printf 'added by vi\\n' >> \"$1\"\n");
    ASSERT_EQ(::chmod((bin + "/vi").c_str(), 0700), 0);
    const char *path = std::getenv("PATH");
    scoped_env path_env("PATH", bin + ":" + (path != nullptr ? path : "/usr/bin:/bin"));

    struct Case {
        std::optional<std::string> visual, editor;
        int32_t result;
        std::string run;
    };
    const Case cases[] = {
        {editor_doing("append"), editor_doing("keep"), 1, "append doc.txt\n"},
        {std::nullopt, editor_doing("append"), 1, "append doc.txt\n"},
        {std::nullopt, std::nullopt, 1, "vi doc.txt\n"},
        // Set but empty is used as it stands: there is no program to run.
        {"", editor_doing("append"), 0, ""},
        {"   ", editor_doing("append"), 0, ""},
        {std::nullopt, "", 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.run);
        ::unlink(log_path.c_str());
        scoped_env visual("VISUAL", c.visual);
        scoped_env editor("EDITOR", c.editor);
        EXPECT_EQ(tdx__edit("doc.txt", 0), c.result);
        EXPECT_EQ(runs(), c.run);
    }
}

TEST_F(blob_editor, WhatCountsAsAChange)
{
    struct Case {
        const char *action;
        int32_t result;
    };
    const Case cases[] = {
        {"keep", 0},
        {"append", 1},
        {"same-size-same-time", 0},
        {"same-size-same-second", 0},  // the time is compared in whole seconds
        {"same-size-new-time", 1},
        {"remove", 0},  // no status after the editor
    };
    scoped_env editor("EDITOR", std::nullopt);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.action);
        write_file("doc.txt", "text\n");
        scoped_env visual("VISUAL", editor_doing(c.action));
        EXPECT_EQ(tdx__edit("doc.txt", 12345), c.result);
    }
    ::unlink("doc.txt");
}

TEST_F(blob_editor, FileWithoutStatusIsNotEdited)
{
    scoped_env visual("VISUAL", editor_doing("append"));
    EXPECT_EQ(tdx__edit("absent.txt", 0), 0);
    EXPECT_EQ(tdx__edit(nullptr, 0), 0);
    EXPECT_EQ(runs(), "");
    EXPECT_FALSE(file_exists("absent.txt"));
}

TEST_F(blob_editor, BlankEditorRunsNothing)
{
    // With no program in the command the shell would run the file itself.
    const std::string program = side_path("program.sh");
    const std::string marker = side_path("ran");
    write_file(program, "#!/bin/sh\ntouch '" + marker + "'\n");
    ASSERT_EQ(::chmod(program.c_str(), 0700), 0);
    scoped_env editor("EDITOR", editor_doing("append"));
    for (const char *blank : {"", " ", "\t "}) {
        scoped_env visual("VISUAL", std::string(blank));
        EXPECT_EQ(tdx__edit(program.c_str(), 0), 0);
        EXPECT_FALSE(file_exists(marker));
        EXPECT_EQ(runs(), "");
    }
}

TEST_F(blob_editor, FileNameReachesTheEditorAsOneWord)
{
    struct Case {
        std::string name;
        std::string given;  // what the editor receives
    };
    const Case cases[] = {
        {"two words; touch pwned", "two words; touch pwned"},
        {"quote's $(touch pwned) `touch pwned` \"x\"",
         "quote's $(touch pwned) `touch pwned` \"x\""},
        {"-c!touch pwned", "./-c!touch pwned"},
        {"+!touch pwned", "./+!touch pwned"},
        {"a\nb", "a\nb"},
    };
    scoped_env visual("VISUAL", editor_doing("append"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ::unlink(log_path.c_str());
        write_file(c.name, "text\n");
        EXPECT_EQ(tdx__edit(c.name.c_str(), 0), 1);
        EXPECT_EQ(read_file(c.name), "text\nadded in the editor\n");
        EXPECT_EQ(runs(), "append " + c.given + "\n");
        EXPECT_FALSE(file_exists("pwned"));
        ::unlink(c.name.c_str());
    }
}

TEST_F(blob_editor, CommandOverItsAreaIsNotRun)
{
    // The command is the editor, a blank and the quoted name: 1 + 2 + 7
    // characters besides the editor for "doc.txt". Leading blanks pad the
    // editor to the length wanted.
    const std::string editor = editor_doing("append");
    // At 264 the editor and its blank take the whole area, so a cut command
    // would run the editor without the file.
    for (const size_t command_length : {size_t{255}, size_t{256}, size_t{264}, size_t{1000}}) {
        SCOPED_TRACE(command_length);
        write_file("doc.txt", "text\n");
        ::unlink(log_path.c_str());
        const size_t padding = command_length - editor.size() - 10;
        scoped_env visual("VISUAL", std::string(padding, ' ') + editor);
        const int32_t expected = command_length <= 255 ? 1 : 0;
        EXPECT_EQ(tdx__edit("doc.txt", 0), expected);
        EXPECT_EQ(runs().empty(), expected == 0);
    }
    ::unlink("doc.txt");
}

}  // namespace
}  // namespace blob_tests
