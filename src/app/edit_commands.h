#pragma once

// The edit commands of the main window: a click in a permission or
// inheritance cell, Delete, Add, Copy, Cut, Paste, Combine, Convert, Take
// ownership and Eliminate unresolved trustees. Each checks its guards, asks
// its questions, records the entry's ACL in the undo buffer before it
// changes it, writes through the editing primitives (one write per entry)
// and reports in the status bar. The write-mode gate comes before them
// (WriteModeGate).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/security_reader.h"
#include "editing/acl_editor.h"
#include "editing/edit_settings.h"
#include "editing/pending_changes.h"
#include "editing/propagation.h"
#include "editing/undo_buffer.h"

namespace quorel {

class AccountLists;
class AceRecord;
class AppWindows;
class CDirEntry;
class InteractionPort;
class ViewSession;

// The editing objects of one run of the program.
struct EditingSession {
    EditingSession(EditPorts ports, FileSystemPort& fileSystem)
        : reader(ports.security, ports.accounts),
          editor(ports, reader, settings),
          propagation(editor, fileSystem, undo, pending) {}

    EditSettings settings;
    SecurityReader reader;
    AclEditor editor;
    UndoBuffer undo;
    PendingChanges pending;
    Propagation propagation;
};

// The line the user works on: the entry, and on an ACE line the ACE, of the
// last click.
struct EditFocus {
    CDirEntry* entry = nullptr;
    AceRecord* ace = nullptr;
};

class EditCommands {
  public:
    EditCommands(ViewSession& view, EditingSession& editing, InteractionPort& ui);

    // A click in permission column `column` of an ACE line.
    void TogglePermission(CDirEntry& entry, AceRecord& ace, int column);
    // A click in inheritance cell `cell` (1 inherited .. 5 don't propagate).
    void ToggleInheritanceFlag(CDirEntry& entry, AceRecord& ace, int cell);
    // One ACE deleted, recorded for propagation when it is inheritable.
    void RemoveTrustee(CDirEntry& entry, AceRecord& ace);
    // 50048, after its question: every selected ACE of an entry with a
    // selected explicit ACE.
    void DeleteSelectedAces();
    // The multiple-selection question over the selected files and folders
    // (headings are no entries); true without a question for one or none,
    // false when the user says No.
    bool ConfirmMultipleSelection() { return confirmMultipleSelection(selectedEntries()); }
    // 50049 through the Add user dialog.
    void AddTrusteeToSelection(const EditFocus& focus, const std::wstring& name, bool allow);
    void CopyAcl(const EditFocus& focus);
    void CutAcl(const EditFocus& focus);
    void PasteAcl();
    void CombineAcl();
    void ConvertSelection();
    // The selected entries whose ACEs are out of canonical order, after a
    // question naming their count; one undo element each.
    void RepairAceOrder();
    void TakeOwnershipOfSelection();
    // ACEs of accounts that no longer exist, in the whole dataset, after a
    // question; one undo element per changed entry.
    void EliminateUnresolvedTrustees();
    // Undo (50006).
    void Undo();

    // The commands with a dialog. 50058: the focused explicit ACE's flags.
    void ChangeInheritanceFlags(const EditFocus& focus, AppWindows& windows);
    // 50057: the focused ACE's type, flags and rights, in one write.
    void ModifyAce(const EditFocus& focus, AppWindows& windows);
    // 50049: after the multiple-selection question and the gate.
    void AddAce(const EditFocus& focus, AppWindows& windows, AccountLists& lists);
    // 50052 on the one selected folder; `gate` (the write-mode gate) is
    // passed after the checks of the selection. True when the entries
    // below the folder were read again (the view must forget them).
    bool InheritAcl(AppWindows& windows, const std::function<bool()>& gate);
    // 50070 in compare mode.
    void RestorePermissions(AppWindows& windows);

    const std::wstring& aclBuffer() const { return buffer_; }

  private:
    bool compareModeRefuses();
    bool loadedDataRefuses();
    // The multiple-selection question; false when the user says No.
    bool confirmMultipleSelection(const std::vector<CDirEntry*>& selected);
    // The "Disable Inheritance" question; false on Cancel.
    bool askConvertInherited();
    // Before ACEs are added to an entry that has no DACL on disk (everyone
    // has full access), asks whether the added entries shall become its
    // only access; false on No.
    bool confirmAddingToNoDacl(const CDirEntry& entry);
    // Whether the focus holds an ACE of its entry; says so when not.
    bool focusedAce(const EditFocus& focus);
    std::vector<CDirEntry*> selectedEntries() const;
    void undoElement(CDirEntry& entry, const wchar_t* name, bool propagation);
    // The ACEs of the buffer that `entry` takes, with their trustees.
    std::vector<TrusteeAce> bufferAcesFor(const CDirEntry& entry, bool keepFlags) const;
    // Records the inheritable ACEs of `entry` as deleted for propagation;
    // false when the pending list belongs to another entry (after asking).
    bool recordDeletions(CDirEntry& entry, const std::vector<std::uint32_t>& indices);
    void refresh(CDirEntry& entry);
    void status(const wchar_t* text);

    ViewSession& view_;
    EditingSession& editing_;
    InteractionPort& ui_;
    std::wstring buffer_;
    // The accounts of the buffer's ACEs in buffer order, so that a paste
    // writes the very accounts that were copied, also after a re-scan.
    std::vector<Trustee> bufferTrustees_;
};

}  // namespace quorel
