// Shared helpers of the blob tests: a fresh stand-in core with an attached
// database, blobs seeded from and read back as strings, a scratch working
// directory, and environment settings undone at the end of a test.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "capture.h"
#include "dbutil.h"
#include "directory.h"
#include "tdx_control.h"

namespace blob_tests {

using Segments = std::vector<std::string>;

inline tdx_quad seed_blob(const Segments &segments)
{
    std::vector<const char *> bytes;
    std::vector<uint16_t> lengths;
    for (const std::string &s : segments) {
        bytes.push_back(s.data());
        lengths.push_back(static_cast<uint16_t>(s.size()));
    }
    tdx_quad id{};
    tdxc_blob_create(&id, static_cast<int>(segments.size()), bytes.data(), lengths.data());
    return id;
}

inline Segments segments_of(const tdx_quad &id)
{
    Segments result;
    const int count = tdxc_blob_segment_count(&id);
    for (int i = 0; i < count; ++i) {
        const char *bytes = nullptr;
        const int length = tdxc_blob_segment(&id, i, &bytes);
        result.emplace_back(bytes, static_cast<size_t>(length));
    }
    return result;
}

// The segments of the blob an id names, joined by "|"; "no blob" for none.
inline std::string blob_text(const tdx_quad &id)
{
    if (tdxc_blob_segment_count(&id) < 0)
        return "no blob";
    std::string text;
    for (const std::string &s : segments_of(id))
        text += (text.empty() ? "" : "|") + s;
    return "blob " + text;
}

inline bool same_id(const tdx_quad &a, const tdx_quad &b)
{
    return a.high == b.high && a.low == b.low;
}

inline std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void write_file(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

inline bool file_exists(const std::string &path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Every byte value once, newline among them.
inline std::string all_byte_values()
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes += static_cast<char>(b);
    return bytes;
}

// Sets or unsets an environment variable for the lifetime of the object.
class scoped_env {
  public:
    scoped_env(const char *name, std::optional<std::string> value) : name_(name)
    {
        if (const char *old = std::getenv(name))
            old_ = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~scoped_env()
    {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    scoped_env(const scoped_env &) = delete;
    scoped_env &operator=(const scoped_env &) = delete;

  private:
    const char *name_;
    std::optional<std::string> old_;
};

using testing_support::entries_of;

inline std::string make_temp_dir()
{
    std::string pattern = "/tmp/blob_test_XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        ADD_FAILURE() << "cannot make a scratch directory";
    return pattern;
}

inline void remove_tree(const std::string &path)
{
    const std::string command = "rm -rf '" + path + "'";
    if (std::system(command.c_str()) != 0)
        ADD_FAILURE() << "cannot remove " << path;
}

// A fresh core with one attached database, run inside a scratch directory
// that every test leaves empty: temporary files of the edit land there.
class core_test : public ::testing::Test {
  protected:
    void SetUp() override
    {
        tdxc_reset();
        db = tdxc_attach("blobs.tdb");
        char here[4096];
        ASSERT_NE(::getcwd(here, sizeof here), nullptr);
        home_ = here;
        work_ = make_temp_dir();
        side_ = make_temp_dir();
        ASSERT_EQ(::chdir(work_.c_str()), 0);
    }

    void TearDown() override
    {
        EXPECT_EQ(::chdir(home_.c_str()), 0);
        remove_tree(work_);
        remove_tree(side_);
        EXPECT_EQ(tdxc_live_blocks(), 0);
        EXPECT_EQ(tdxc_open_blob_handles(), 0);
    }

    // What the scratch directory holds besides files a test made itself.
    std::vector<std::string> leftovers() const { return entries_of(work_); }

    // A directory outside the scratch one, for files a test keeps there.
    std::string side_path(const std::string &name) const { return side_ + "/" + name; }

    tdx_handle db = 0;
    tdx_handle tra = 0x77;
    std::string work_;

  private:
    std::string home_;
    std::string side_;
};

// The editor script of editors/edit.sh as the user's editor, doing `action`;
// the value carries the action as an argument, as "code -w" would.
inline std::string editor_doing(const std::string &action)
{
    return "sh " + std::string(BLOB_TEST_EDITORS) + "/edit.sh " + action;
}

// A core test with the editor script standing in for the user: every run of
// it is logged to a file outside the scratch directory. EDITOR is unset;
// use_editor sets VISUAL.
class editor_test : public core_test {
  protected:
    void SetUp() override
    {
        core_test::SetUp();
        log_path = side_path("edit.log");
        log_env.emplace("EDIT_LOG", log_path);
        editor_env.emplace("EDITOR", std::nullopt);
    }

    void TearDown() override
    {
        visual_env.reset();
        editor_env.reset();
        log_env.reset();
        core_test::TearDown();
    }

    void use_editor(const std::string &action)
    {
        visual_env.reset();
        visual_env.emplace("VISUAL", editor_doing(action));
    }

    // Lines the editor script logged: its action and the file it was given.
    std::vector<std::string> editor_runs() const
    {
        std::vector<std::string> lines;
        std::istringstream text(read_file(log_path));
        for (std::string line; std::getline(text, line);)
            lines.push_back(line);
        return lines;
    }

    std::string log_path;
    std::optional<scoped_env> log_env, visual_env, editor_env;
};

}  // namespace blob_tests
