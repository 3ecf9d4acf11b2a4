// Each whole-blob routine in each of its calling forms, for tests that run
// every form alike: the BLOB_ forms take the handles as words and a
// zero-terminated name, the blob__ forms take everything by address and the
// name with its 16-bit length.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "dbutil.h"

namespace blob_tests {

struct blob_form {
    const char *what;
    std::function<int32_t(tdx_quad *, tdx_handle, tdx_handle, const std::string &)> call;
};

inline int16_t length_of(const std::string &name)
{
    return static_cast<int16_t>(name.size());
}

// A BLOB_ routine, called with the name as it stands.
template <int32_t (*routine)(tdx_quad *, tdx_handle, tdx_handle, const char *)>
blob_form by_value(const char *what)
{
    return {what, [](tdx_quad *id, tdx_handle db, tdx_handle tra, const std::string &name) {
                return routine(id, db, tra, name.c_str());
            }};
}

// A blob__ routine, called with every argument by address.
template <int32_t (*routine)(tdx_quad *, tdx_handle *, tdx_handle *, const char *,
                             const int16_t *)>
blob_form by_address(const char *what)
{
    return {what, [](tdx_quad *id, tdx_handle db, tdx_handle tra, const std::string &name) {
                const int16_t length = length_of(name);
                return routine(id, &db, &tra, name.data(), &length);
            }};
}

// The name is the file's.
inline const std::vector<blob_form> &dump_forms()
{
    static const std::vector<blob_form> forms{by_value<BLOB_dump>("BLOB_dump"),
                                              by_value<BLOB_text_dump>("BLOB_text_dump"),
                                              by_address<blob__dump>("blob__dump")};
    return forms;
}

// The name is not used: the blob goes to the standard output.
inline const std::vector<blob_form> &display_forms()
{
    static const std::vector<blob_form> forms{by_value<BLOB_display>("BLOB_display"),
                                              by_address<blob__display>("blob__display")};
    return forms;
}

// The name is the file's.
inline const std::vector<blob_form> &load_forms()
{
    static const std::vector<blob_form> forms{by_value<BLOB_load>("BLOB_load"),
                                              by_value<BLOB_text_load>("BLOB_text_load"),
                                              by_address<blob__load>("blob__load")};
    return forms;
}

// The name gives the temporary file its stem.
inline const std::vector<blob_form> &edit_forms()
{
    static const std::vector<blob_form> forms{by_value<BLOB_edit>("BLOB_edit"),
                                              by_address<blob__edit>("blob__edit")};
    return forms;
}

}  // namespace blob_tests
