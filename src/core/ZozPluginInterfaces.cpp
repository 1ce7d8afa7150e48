// What the sender, the librarian, the browser and the UI configuration reach the plug-in
// through.

#include "src/core/Zoz.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IControl.h"
#include "kit/effect/ITextControl.h"
#include "kit/effect/ProgressIndicator.h"
#include "src/browser/FileCopyPopupMenu.h"
#include "src/browser/FileEditPopupMenu.h"
#include "src/browser/LibrarianViewControl.h"
#include "src/core/PatchManager.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/UIConfigManager.h"

// ---- SenderPlugin

bool Zoz::SendMidiSysex(const uint8_t* data, int length) {
    return IEffectVST::SendMidiSysex(const_cast<uint8_t*>(data), length);
}

bool Zoz::SendMidiSysex2(const std::vector<uint8_t>& bytes) {
    return IEffectVST::SendMidiSysex2(bytes);
}

double Zoz::GetParamValue(int paramIdx) {
    const IParam* param = GetParam(paramIdx);
    return param ? param->Value() : 0.0;
}

void Zoz::SetParameterFromPlug(int paramIdx, double value) {
    editor->SetParameterFromPlug(paramIdx, value, false);
}

void Zoz::setUpperDisplayText(const std::string& text) {
    showText(kControlDisplayName, text);
}

void Zoz::setLowerDisplayText(const std::string& text) {
    showText(kControlDisplayValue, text);
}

std::string Zoz::getValueListText(const std::string& list, int index) {
    const std::vector<std::string>& texts = uiConfig->getValueList(list);
    return index >= 0 && index < int(texts.size()) ? texts[size_t(index)] : "";
}

double Zoz::GetParamMin(int paramIdx) {
    const IParam* param = GetParam(paramIdx);
    return param ? param->GetMin() : 0.0;
}

double Zoz::GetParamMax(int paramIdx) {
    const IParam* param = GetParam(paramIdx);
    return param ? param->GetMax() : 0.0;
}

void Zoz::storeParamValue(int paramIdx, double value) {
    if (IParam* param = GetParam(paramIdx)) param->Set(value);
}

std::string Zoz::getParamText(int paramIdx) {
    const IParam* param = GetParam(paramIdx);
    return param ? param->GetDisplayText(0) : "";
}

void Zoz::setParamText(int paramIdx, const std::string& text) {
    if (IParam* param = GetParam(paramIdx)) param->SetDisplayText(0, text.c_str());
}

void Zoz::setPatchManagerName(int index, const std::string& name) {
    patchManager->setName(index, name);
}

void Zoz::setFilterLinkMode(int part, int mode) {
    if (part >= 0 && part < 16) filterLink[size_t(part)] = mode;
}

void Zoz::DisarmLibrarianRequests() {
    messageManager->disarmLibrarianRequests();
}

void Zoz::displayPatchName(const std::string& name) {
    showText(kControlDisplayPatch, name);
}

void Zoz::displayCategoryName(const std::string& category) {
    showText(kControlDisplayCategory, category);
}

int Zoz::getTimerValue() {
    return MIDIMessageSender::pauseUnitMillis(GetParamValue(kLibSyncTimer));
}

bool Zoz::isLibrarianControl() {
    return GetParamValue(kControlLibrary) == 1.0;
}

bool Zoz::isProgramBankMode() {
    return GetParamValue(kControlProgBank) == 1.0;
}

int Zoz::getLibrarianViewSide() {
    return librarianView ? librarianView->getActiveSide() : LibrarianViewControl::kUpper;
}

void Zoz::setLibrarianViewUpperSlot(int slot) {
    if (librarianView) librarianView->setUpperSelectedSlot(slot);
}

void Zoz::setLibrarianViewCurrentSlot(int slot) {
    if (librarianView) librarianView->setCurrentSlot(slot);
}

// ---- BrowserPlugin

bool Zoz::postJob(int command, const std::function<void(SenderJob&)>& setArguments) {
    return messageManager->postJob(command, setArguments);
}

void Zoz::setDumpAwaited(bool awaited) {
    messageManager->dumpAwaited = awaited;
}

void Zoz::sendSinglePatchRequestSysexFromLibrarian(bool editBuffer, int bank) {
    messageManager->sendSinglePatchRequestSysexFromLibrarian(editBuffer, bank);
}

void Zoz::sendAllPatchRequestSysexFromLibrarian(int bank) {
    messageManager->sendAllPatchRequestSysexFromLibrarian(bank);
}

void Zoz::clearEntryStored() {
    messageManager->answerReceived = false;
}

// ---- UIConfigPlugin

IControl* Zoz::createLibrarianView(int x, int y, int paramIdx, const IBitmap& background,
                                   IRECT rect, PatchLibrarian* librarian, double scale) {
    return new LibrarianViewControl(this, this, x, y, paramIdx, &background, rect, librarian,
                                    scale);
}

// ---- LibrarianHost

std::string Zoz::promptForSaveFile(const std::string& proposedName, const std::string& startFolder,
                                   const std::string& extension) {
    IGraphics* gui = GetGUI();
    if (!gui) return "";
    KIT_String file(proposedName.c_str());
    KIT_String folder(startFolder.c_str());
    std::string extensions = extension;
    gui->PromptForFile(&file, kFileSave, &folder, extensions.data());
    return file.Get();
}

void Zoz::setRememberedFileName(BankPosition position, const std::string& fileName) {
    rememberedBanks[position].fileName = fileName;
}

void Zoz::setRememberedFolder(BankPosition position, const std::string& folder) {
    rememberedBanks[position].folder = folder;
}

// ---- ParamChangePlugin

bool Zoz::ThreadRunning() {
    return messageManager->isRunning(MIDIMessageManager::kJobThread);
}

ITextControl* Zoz::displayNameLine() {
    return dynamic_cast<ITextControl*>(keptControl(kControlDisplayName));
}

ITextControl* Zoz::displayValueLine() {
    return dynamic_cast<ITextControl*>(keptControl(kControlDisplayValue));
}

const std::vector<std::string>& Zoz::getValueList(const std::string& name) {
    return uiConfig->getValueList(name);
}

std::atomic<bool>& Zoz::dumpAwaited() {
    return messageManager->dumpAwaited;
}

void Zoz::endDumpWait() {
    messageManager->endDumpWait();
}

std::atomic<bool>& Zoz::settingFromDevice() {
    return messageManager->settingFromDevice;
}

std::atomic<bool>& Zoz::soundRequestActive() {
    return messageManager->patchRequest.active;
}

void Zoz::showProgressIndicator(bool show) {
    if (progressIndicator) progressIndicator->Hide(!show);
    if (progressLayer) progressLayer->Hide(!show);
}

void Zoz::enableLibrarianViewDrag() {
    if (librarianView) librarianView->setDragEnabled(true);
}

void Zoz::selectUpperBank(int bank) {
    {
        KIT_MutexLock lock(&librarian->mutex());
        const std::vector<PatchFile*>* banks = librarian->bankList(librarian->currentType);
        if (!banks || bank < 0 || bank >= int(banks->size())) return;
        librarian->upperBankIndex = bank;
    }
    updatePatchLibrarianView(0);
    setLibrarianViewDirty();
}

int Zoz::getLibrarianViewCurrentSlot() {
    return librarianView ? librarianView->getCurrentSlot() : 0;
}

IControl* Zoz::searchButton() {
    return keptControl(kPatchSearch);
}

std::atomic<bool>& Zoz::requestCancelFlag() {
    return messageManager->getSender()->cancel;
}
