// Runs the user's editor on a file and tells whether the file changed.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <sys/stat.h>

#include "dbutil.h"

namespace {

// The command is formed in a fixed area; a command that does not fit is
// never run, since a cut one would edit another file or run something else.
struct command_area {
    std::array<char, BLOB_EDITOR_COMMAND_AREA> text{};
    size_t used = 0;
    bool overflow = false;

    void add(std::string_view part)
    {
        if (overflow || part.size() > text.size() - 1 - used) {
            overflow = true;
            return;
        }
        std::memcpy(text.data() + used, part.data(), part.size());
        used += part.size();
        text[used] = '\0';
    }
};

// The file name goes to the shell as one quoted word, so characters such as
// ";" or "$" in it run nothing; a leading "-" or "+" is kept from reading as
// an editor option or a command for vi by a "./" in front.
void add_file_name(command_area &command, std::string_view name)
{
    command.add("'");
    if (name.starts_with('-') || name.starts_with('+'))
        command.add("./");
    for (char c : name)
        command.add(c == '\'' ? std::string_view("'\\''") : std::string_view(&c, 1));
    command.add("'");
}

const char *chosen_editor()
{
    if (const char *visual = std::getenv("VISUAL"))
        return visual;
    if (const char *editor = std::getenv("EDITOR"))
        return editor;
    return "vi";
}

// An editor value of blanks alone would make the shell run the file itself.
bool names_a_program(std::string_view editor)
{
    return editor.find_first_not_of(" \t\n") != std::string_view::npos;
}

// The modification time is compared in whole seconds: a same-size change
// within the second the file already shows counts as no change.
bool same_state(const struct stat &before, const struct stat &after)
{
    return before.st_size == after.st_size && before.st_mtime == after.st_mtime;
}

}  // namespace

extern "C" int32_t tdx__edit(const char *file_name, int32_t)
{
    if (file_name == nullptr)
        return 0;
    const std::string_view editor = chosen_editor();
    // Without the state before there is nothing to compare with, so the user
    // is not asked to make changes that could not be reported.
    struct stat before {};
    if (::stat(file_name, &before) != 0 || !names_a_program(editor))
        return 0;

    command_area command;
    command.add(editor);
    command.add(" ");
    add_file_name(command, file_name);
    if (command.overflow)
        return 0;

    // Pending output goes before the editor's; the edit does not depend on it.
    (void)std::fflush(stdout);
    // Running the user's editor through the shell is this routine's job; the
    // file name in the command is quoted.
    // NOLINTNEXTLINE(cert-env33-c)
    const int exit_status = std::system(command.text.data());
    (void)exit_status;

    struct stat after {};
    if (::stat(file_name, &after) != 0)
        return 0;
    return same_state(before, after) ? 0 : 1;
}
