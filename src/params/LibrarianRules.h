#pragma once

#include "src/librarian/LibrarianHost.h"
#include "src/params/ParamRules.h"

#include <vector>

class PatchFile;

// The rules of the librarian page: its commands and views, the transfers it starts, the
// arrows of its bank lists and of the parts' programs, and the rename of a slot. They read
// and write the librarian's banks only under its mutex.

// The librarian's data type as the plug-in's mode flags give it.
enum class DataType { kSound = 0, kMulti = 1, kPattern = 2 };
DataType dataTypeOf(ParamChangePlugin* plug);
// What the librarian page shows of a data type.
struct LibrarianTypeView {
    int lowerList; // patchTypeChanged's lower list
    // The layers of the two lists' bank menus and the BankChooser::Row of each.
    const char* upperMenu;
    const char* lowerMenu;
    int upperChooser, lowerChooser;
    // The positions whose remembered bank each list reopens.
    LibrarianHost::BankPosition upperBank, lowerBank;
    // The parameters of the bank each list shows, + the selected part where perPart.
    int upperOpenBank, lowerOpenBank;
    bool perPart;
};
// By DataType.
extern const LibrarianTypeView kLibrarianTypeViews[3];
// The banks the lower list shows: the type's bank files, or for sounds the category or the
// search-result banks while that view is on. The caller holds the librarian's mutex.
std::vector<PatchFile*>* lowerBanks(ParamChangePlugin* plug);
std::vector<PatchFile*>* upperBanks(ParamChangePlugin* plug);

// ---- Requests and transfers (stage 3). Each acts on value 1 and goes on to the tail.
// Asks the synthesizer for its multi into the editor, waits a second and redraws the page.
RuleEnd requestTempData(ParamChange& change);
// Sends the whole multi with its parts.
RuleEnd pushArrangement(ParamChange& change);
// Ends the running request at its next wait.
RuleEnd cancelDataRequest(ParamChange& change);
// Stores the editor's sound, multi or pattern into the librarian's selected slot, unless
// the grid's lower side is active.
RuleEnd overwriteBank(ParamChange& change);

// ---- Views and commands (stage 3).
// Drops the unsaved edits: the patches folder is read again and both lists reopen their banks.
RuleEnd discardBankData(ParamChange& change);
RuleEnd switchDataType(ParamChange& change);
RuleEnd refreshFolders(ParamChange& change);
// The search text: two characters or more start a search while none is shown; no result
// ends the dispatch.
RuleEnd searchPatches(ParamChange& change);
RuleEnd toggleSearchView(ParamChange& change);
RuleEnd selectCategoryView(ParamChange& change);
RuleEnd showMultiSettings(ParamChange& change);
RuleEnd switchMainTab(ParamChange& change);
RuleEnd switchQuickTab(ParamChange& change);
RuleEnd viewMIDIFilterSettings(ParamChange& change);
RuleEnd exitAboutWindow(ParamChange& change);

// ---- Arrows (stage 1 and stage 3).
// The previous and next buttons of the two bank lists step through the list, wrapping; the
// upper list stays while the bank has unsaved edits. Ends the dispatch.
RuleEnd stepBank(ParamChange& change);
// A part's upper sound bank chosen by number opens in the upper list, unless the librarian
// keeps its bank.
RuleEnd openCurrentPatchBank(ParamChange& change);
// A part's program up and down buttons, wrapping through 0..99: librarian entries or
// program changes. Ends the dispatch.
RuleEnd stepProgram(ParamChange& change);

// ---- Rename (stage 3).
// The committed name of the open rename field becomes the selected slot's name, in its
// entry and in its dump; the field closes either way.
RuleEnd renameSlot(ParamChange& change);
