#include "synthetic_dataset.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/dataset_builder.h"
#include "core/dir_list.h"

namespace quorel::bench {

namespace {

// A small linear congruential generator: the same tree on every machine.
struct Rng {
    std::uint64_t state = 0x2545F4914F6CDD1Dull;
    std::uint32_t next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>(state >> 33);
    }
    std::uint32_t below(std::uint32_t n) { return next() % n; }
};

std::wstring fileName(Rng& rng) {
    static const wchar_t kChars[] =
        L"abcdefghijklmnopqrstuvwxyz0123456789_- ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const std::uint32_t length = 10 + rng.below(21);
    std::wstring name;
    for (std::uint32_t i = 0; i + 4 < length; ++i) {
        name += kChars[rng.below(sizeof(kChars) / sizeof(kChars[0]) - 1)];
    }
    name += L".dat";
    return name;
}

struct Trustee {
    std::wstring name;
    std::wstring domain;
};

std::vector<Trustee> trustees() {
    const wchar_t* domains[] = {L"CORP", L"BUILTIN", L"SALES-EU"};
    std::vector<Trustee> result;
    for (int i = 0; i < 50; ++i) {
        result.push_back({L"account" + std::to_wstring(i), domains[i % 3]});
    }
    return result;
}

void fill(CDirEntry* e, Rng& rng, const std::vector<Trustee>& names, std::uint32_t aces) {
    const Trustee& owner = names[rng.below(static_cast<std::uint32_t>(names.size()))];
    e->setOwner(owner.name, owner.domain);
    e->setGroup(L"Domain Users", L"CORP");
    e->resizeAces(aces);
    static const std::uint32_t kMasks[] = {0x1F01FF, 0x1301BF, 0x1200A9, 0x120089, 0x100116};
    for (std::uint32_t i = 0; i < aces; ++i) {
        const Trustee& t = names[rng.below(static_cast<std::uint32_t>(names.size()))];
        AceRecord* r = e->ace(i);
        r->setTrustee(e->dataset()->accountNames(), t.name, t.domain);
        r->set(kMasks[rng.below(5)], static_cast<std::uint8_t>(rng.below(4) == 0 ? 0x03 : 0x10),
               static_cast<std::uint8_t>(rng.below(20) == 0 ? 1 : 0));
    }
    e->visibleAceCount = aces;
}

}  // namespace

void buildSyntheticDataset(CDirList& list, std::uint32_t entries, std::uint32_t acesPerEntry) {
    DatasetBuilder listBuild(list);
    Rng rng;
    const std::vector<Trustee> names = trustees();
    const std::uint32_t folders = entries / 10;
    const std::uint32_t top = folders < 100 ? folders : 100;
    const std::uint32_t perTop = top == 0 ? 0 : (folders - top) / top;
    const std::uint32_t filesPerFolder = 9;
    std::uint32_t made = 0;

    listBuild.setDepth(0);
    CDirEntry* root = listBuild.addLoadEntry();
    root->setName(L"\\\\fileserver\\share");
    root->setPath(L"\\\\fileserver\\share");
    fill(root, rng, names, acesPerEntry);
    ++made;

    auto addFiles = [&](std::uint32_t depth) {
        listBuild.setDepth(depth);
        for (std::uint32_t f = 0; f < filesPerFolder && made < entries; ++f) {
            CDirEntry* e = listBuild.addLoadEntry();
            e->setName(fileName(rng));
            fill(e, rng, names, acesPerEntry);
            ++made;
        }
    };

    bool firstTop = true;
    for (std::uint32_t t = 0; t < top && made < entries; ++t) {
        // Each top folder is appended to the root's listing.
        listBuild.placeAfter(firstTop ? root : root->firstChild());
        listBuild.setDepth(1);
        CDirEntry* topDir = (firstTop ? listBuild.addLoadChild() : listBuild.addLoadEntry());
        firstTop = false;
        topDir->setName(L"Department " + std::to_wstring(t));
        fill(topDir, rng, names, acesPerEntry);
        ++made;
        bool firstSub = true;
        for (std::uint32_t s = 0; s < perTop && made < entries; ++s) {
            listBuild.placeAfter(firstSub ? topDir : topDir->firstChild());
            listBuild.setDepth(2);
            CDirEntry* sub = (firstSub ? listBuild.addLoadChild() : listBuild.addLoadEntry());
            firstSub = false;
            sub->setName(L"Project " + std::to_wstring(s));
            fill(sub, rng, names, acesPerEntry);
            ++made;
            listBuild.setDepth(3);
            bool firstFile = true;
            for (std::uint32_t f = 0; f < filesPerFolder && made < entries; ++f) {
                CDirEntry* e = (firstFile ? listBuild.addLoadChild() : listBuild.addLoadEntry());
                firstFile = false;
                e->setName(fileName(rng));
                fill(e, rng, names, acesPerEntry);
                ++made;
            }
        }
        listBuild.placeAfter(topDir->firstChild() ? topDir->firstChild() : topDir);
        if (topDir->firstChild() == nullptr) {
            continue;
        }
        addFiles(2);
    }
    // Whatever is left goes into the root's listing.
    listBuild.placeAfter(root->firstChild() ? root->firstChild() : root);
    while (made < entries) {
        listBuild.setDepth(1);
        CDirEntry* e =
            (root->firstChild() == nullptr ? listBuild.addLoadChild() : listBuild.addLoadEntry());
        e->setName(fileName(rng));
        fill(e, rng, names, acesPerEntry);
        ++made;
    }
}

long long procStatusBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) {
            return std::atoll(line.c_str() + key.size()) * 1024;
        }
    }
    return -1;
}

}  // namespace quorel::bench
