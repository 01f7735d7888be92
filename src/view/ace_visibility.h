#pragma once

namespace quorel {

class CDirEntry;
class CDirList;

// Sets the `visible` flag of every ACE of `list` from the two ACE display
// options ("Show also <inherit only> ACEs" and "Do not show inherited
// ACEs"), and each entry's visibleAceCount with it. An ACE is shown unless
// an option hides it: turning one option back on never shows an ACE that
// the other still hides.
void ApplyAceVisibility(CDirList& list, bool showInheritOnly, bool hideInherited);
// The same for one entry (after an edit read it again).
void ApplyAceVisibility(CDirEntry& entry, bool showInheritOnly, bool hideInherited);

}  // namespace quorel
