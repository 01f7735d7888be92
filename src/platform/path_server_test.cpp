#include "platform/path_server.h"

#include <gtest/gtest.h>

namespace quorel {
namespace {

TEST(ServerOfPath, ShareFormsNameTheirServerEverythingElseTheLocalSystem) {
    const struct {
        const wchar_t* path;
        const wchar_t* server;
    } cases[] = {
        {L"\\\\FILES01\\data\\x", L"FILES01"},
        {L"\\\\files01\\data", L"files01"},
        {L"//srv/share/a", L"srv"},
        {L"\\\\srv", L"srv"},
        {L"\\\\?\\UNC\\FILES01\\data\\x", L"FILES01"},
        {L"\\\\?\\unc\\srv2\\share", L"srv2"},
        {L"\\\\?\\C:\\data", L""},
        {L"\\\\.\\pipe\\x", L""},
        {L"C:\\data", L""},
        {L"C:", L""},
        {L"\\data", L""},
        {L"\\\\", L""},
        {L"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(serverOfPath(c.path), c.server) << c.path;
    }
}

}  // namespace
}  // namespace quorel
