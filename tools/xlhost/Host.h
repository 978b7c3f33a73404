#pragma once

#include "addin/HostCallApi.h"
#include "tools/xlhost/AddInLibrary.h"
#include "tools/xlhost/AllocationLedger.h"
#include "tools/xlhost/Sheet.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

// The stand-in spreadsheet host: it loads the add-in, answers every host function the add-in
// calls through MdCallBack12, and keeps what a real host would show (cells, names,
// registrations, menus, toolbars, alerts, the status bar) for tests and for people to read.
// Calls are accepted on the thread that made the host only, as a real host's are.
namespace xlhost {

struct Registration {
    int32_t id = 0;
    std::u16string path;
    std::vector<std::u16string> texts;  // procedure, type text, function text, ...
    int operandCount = 0;               // path included
    std::u16string Procedure() const { return texts.empty() ? u"" : texts[0]; }
    std::u16string FunctionText() const { return texts.size() > 2 ? texts[2] : u""; }
};

struct AlertRecord {
    std::u16string text;
    int type = 0;
};

struct DialogRecord {
    int32_t rows = 0;
    int32_t columns = 0;
};

class Host {
public:
    Host();
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // The add-in: loading does not open it (that is the script's or the test's xlAutoOpen).
    bool LoadAddIn(const std::string& path, std::string& error);
    void UnloadAddIn();
    AddInLibrary* AddIn() { return addIn_.get(); }

    Sheet& Cells() { return sheet_; }
    const Sheet& Cells() const { return sheet_; }

    // What the host has before the add-in comes.
    void AddMenu(int32_t bar, const std::u16string& name) { menus_.insert({bar, Lower(name)}); }
    bool HasMenu(int32_t bar, const std::u16string& name) const { return menus_.count({bar, Lower(name)}) > 0; }
    void AddToolbar(const std::u16string& name) { toolbars_.insert(Lower(name)); }
    bool HasToolbar(const std::u16string& name) const { return toolbars_.count(Lower(name)) > 0; }
    // Answers for the questions to come, in order: OK/Cancel alerts, then dialog boxes. Without
    // one an alert is answered OK and a dialog box with OK.
    void QueueAlertAnswer(bool ok) { alertAnswers_.push_back(ok); }
    void QueueDialogAnswer(bool ok) { dialogAnswers_.push_back(ok); }
    void SetBreakPending(bool pending) { breakPending_ = pending; }
    void SetMainWindow(int32_t handle) { mainWindow_ = handle; }
    void SetFreeStack(int32_t bytes) { freeStack_ = bytes; }
    void OnAlert(std::function<void(const AlertRecord&)> sink) { alertSink_ = std::move(sink); }
    void OnStatus(std::function<void(const std::u16string&)> sink) { statusSink_ = std::move(sink); }

    // What happened.
    const std::vector<Registration>& Registrations() const { return registered_; }
    const std::vector<Registration>& RegistrationLog() const { return registrationLog_; }
    bool HasName(const std::u16string& name) const { return names_.count(Lower(name)) > 0; }
    size_t NameCount() const { return names_.size(); }
    const std::vector<AlertRecord>& Alerts() const { return alerts_; }
    const std::vector<std::u16string>& StatusLog() const { return statusLog_; }
    const std::u16string& Status() const { return status_; }
    const std::vector<DialogRecord>& Dialogs() const { return dialogs_; }
    HostReference Selection() const { return selection_; }
    bool MessagesEnabled() const { return messagesEnabled_; }
    uint64_t CallCount(int function) const;
    uint64_t ForeignThreadCalls() const { return foreignThreadCalls_; }
    AllocationLedger& Ledger() { return ledger_; }
    void ClearRecords();

    // The callback's work: HOST_RESULT_*.
    int Dispatch(int function, int count, HostOperand** operands, HostOperand* result);

    static std::u16string Lower(const std::u16string& text);

private:
    using Args = std::vector<const HostOperand*>;
    int Register(const Args& a, HostOperand& r);
    int RegisterId(const Args& a, HostOperand& r);
    int Unregister(const Args& a, HostOperand& r);
    int SetName(const Args& a, HostOperand& r);
    int GetBar(const Args& a, HostOperand& r);
    int DeleteMenu(const Args& a, HostOperand& r);
    int GetToolbar(const Args& a, HostOperand& r);
    int DeleteToolbar(const Args& a, HostOperand& r);
    int DialogBox(const Args& a, HostOperand& r);
    int Alert(const Args& a, HostOperand& r);
    int Select(const Args& a, HostOperand& r);
    int Message(const Args& a, HostOperand& r);
    int Free(const Args& a, HostOperand& r);
    int Coerce(const Args& a, HostOperand& r);
    int Set(const Args& a, HostOperand& r);
    int Abort(const Args& a, HostOperand& r);
    // The value of an operand, a reference read from its top-left cell; false for an empty cell.
    bool ValueOf(const HostOperand& op, HostOperand& value) const;
    void SetCellFrom(int32_t row, int32_t column, const HostOperand& value);

    std::thread::id thread_;
    std::unique_ptr<AddInLibrary> addIn_;
    Sheet sheet_;
    AllocationLedger ledger_;
    std::set<std::pair<int32_t, std::u16string>> menus_;
    std::set<std::u16string> toolbars_;
    std::deque<bool> alertAnswers_;
    std::deque<bool> dialogAnswers_;
    bool breakPending_ = false;
    int32_t mainWindow_ = 0;
    int32_t freeStack_ = 65536;
    std::function<void(const AlertRecord&)> alertSink_;
    std::function<void(const std::u16string&)> statusSink_;

    int32_t nextId_ = 1;
    std::vector<Registration> registered_;
    std::vector<Registration> registrationLog_;
    std::map<std::u16string, std::u16string> names_;  // lower-case name -> what it refers to
    std::vector<AlertRecord> alerts_;
    std::vector<std::u16string> statusLog_;
    std::u16string status_;
    std::vector<DialogRecord> dialogs_;
    HostReference selection_{};
    bool messagesEnabled_ = false;
    std::map<int, uint64_t> calls_;
    uint64_t foreignThreadCalls_ = 0;
};

// The host MdCallBack12 serves: the most recent one made and not yet destroyed.
Host* ActiveHost();

}  // namespace xlhost
