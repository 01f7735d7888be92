#pragma once

// Test support: two datasets of the same tree for the compare tests.

#include <memory>
#include <string_view>
#include <vector>

#include "core/dataset_test_support.h"
#include "core/dir_list.h"
#include "filters/permissions.h"
#include "platform/sim/recording_interaction.h"

namespace quorel::test {

using Aces = std::vector<AceSpec>;
using V = std::vector<CDirEntry*>;

inline CDirEntry* add(CDirList& list, CDirEntry* parent, std::wstring_view name) {
    return AppendEntry(list, parent, name);
}

inline void give(CDirEntry* e, const Aces& aces) {
    SetAces(e, aces);
}

inline std::vector<std::uint16_t> links(const CDirEntry& e) {
    std::vector<std::uint16_t> result;
    for (std::uint32_t i = 0; i < e.aceCount(); ++i) {
        result.push_back(e.ace(i)->partnerAce);
    }
    return result;
}

constexpr std::uint16_t kNone = AceRecord::kNoPartnerAce;
inline const Aces kStandard = {
    {L"Administrators", 0x1F01FF, 0x13, 0},
    {L"Users", 0x1200A9, 0x13, 0},
    {L"Guest", 0x2, 0x00, 1},
};

// Two datasets of the same tree:
//   C:\Data { Docs { a.txt, b.txt }, readme }
class CompareTrees : public ::testing::Test {
  protected:
    CompareTrees() {
        build(shown, L"C:\\Data", s);
        build(*other, L"C:\\Data", o);
        rights.clear();
        rights.AppendRightColumn(0x1, L"rd");
        rights.AppendRightColumn(0x2, L"wr");
        rights.AppendRightColumn(0x20, L"ex");
        rights.AppendRightColumn(0x10000, L"del");
    }

    struct Tree {
        CDirEntry *root, *docs, *a, *b, *readme;
    };

    static void build(CDirList& list, const wchar_t* rootPath, Tree& t) {
        t.root = add(list, nullptr, rootPath);
        t.docs = add(list, t.root, L"Docs");
        t.a = add(list, t.docs, L"a.txt");
        t.b = add(list, t.docs, L"b.txt");
        t.readme = add(list, t.root, L"readme");
        for (CDirEntry* e : {t.root, t.docs, t.a, t.b, t.readme}) {
            give(e, kStandard);
        }
    }

    sim::RecordingInteraction ui;
    CDirList shown{ui};
    // Compare mode loads the compared dataset into the shown one's table.
    std::unique_ptr<CDirList> other = std::make_unique<CDirList>(ui, shown.sharedAccountNames());
    Tree s{}, o{};
    DisplayedRights rights;
};

}  // namespace quorel::test
