#pragma once
// Recovery after a crash (a kill, a power loss): every mailbox folder and its
// index are brought back into agreement before mail is served or fetched.
//
// A download stores a message in four steps: the text goes to the entry's
// temporary file, the entry's line (with the UIDL and the account) is appended
// to the index, the file gets its own name, and the UIDL is appended to the
// account's checklist. Whatever step a crash interrupted, recovery finishes or
// undoes it: a temporary file that an entry names is given its name, an
// appended entry whose file never came is dropped (an older entry without
// its file stays, as the user left it), other temporary files are removed, and a
// UIDL that an appended line carries goes back into its account's checklist.
// A message file that no entry names (an index lost by an older version) is
// added back as the rebuild would add it.
#include <string>
#include <vector>

class TMessageBox;
class TPop3AccountList;

struct TRecoveryReport {
    std::string Caption;              // the mailbox
    int Added = 0;                    // message files without an entry, added back
    int Completed = 0;                // files still under their temporary name, named
    int Dropped = 0;                  // appended entries whose file never came, cut lines
    int TempRemoved = 0;              // temporary files of interrupted writes
    int Remembered = 0;               // UIDLs put back into a checklist
    std::vector<std::string> Skipped; // file names of index lines outside the folder
    std::vector<std::string> Errors;  // what could not be written back

    bool Any() const {
        return Added || Completed || Dropped || TempRemoved || Remembered || !Skipped.empty() ||
               !Errors.empty();
    }
};

// Removes the temporary files of interrupted writes in the folder; counts them.
int RemoveTempFiles(const std::string& folder);

// One mailbox, already loaded: its entries and its folder made to agree.
// Nothing is written; Changed tells whether the index must be saved.
TRecoveryReport RecoverMailbox(TMessageBox& box, bool& changed);

// Every account's inbox and checklist, the trash and the account folder,
// all loaded. Changed indexes and checklists are written back. One report
// per mailbox that needed anything.
std::vector<TRecoveryReport> RecoverStores(TPop3AccountList& accounts, TMessageBox& trash);
