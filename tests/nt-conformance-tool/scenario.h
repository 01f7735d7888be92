#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A conformance scenario: one step a line, run in a fresh top folder.
//
//   dir PATH             create a folder
//   file PATH            create a file
//   set PATH SDDL        write the DACL of SDDL with its flags P and AI
//   setreq PATH SDDL     the same with SE_DACL_AUTO_INHERIT_REQ added
//   expect PATH SDDL     the DACL read back equals SDDL (with P and AI)
//   expect-windows ...   an expectation of the simulated volume only
//   expect-samba ...     an expectation of Samba only
//
// PATH is relative to the top folder, with backslashes; `#` starts a comment
// line. $OWNER and $GROUP in SDDL stand for the item's owner and group.
namespace quorel::conformance {

enum class StepKind { Dir, File, Set, SetReq, Expect, ExpectWindows, ExpectSamba };

struct Step {
    std::size_t line = 0;
    StepKind kind = StepKind::Dir;
    std::string path;
    std::string sddl;  // empty for dir and file
};

struct ScenarioFile {
    std::vector<Step> steps;
    std::vector<std::string> errors;  // "line 3: unknown step 'mkdir'"
};

ScenarioFile parseScenario(std::string_view text);

// The parent folder of a PATH ("" for an item of the top folder).
std::string parentPath(const std::string& path);

}  // namespace quorel::conformance
