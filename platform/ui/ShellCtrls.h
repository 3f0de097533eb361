// The window framework's shell-browsing controls: a folder tree, a folder combo box, a
// file list, and a watcher that reports changes inside a folder. The component library
// offers them on its palette page beside its own components.
#pragma once
#include <memory>
#include <string>
#include "platform/ui/Controls.h"

// The folders below Root as a tree; the operator's selection is Path.
class TShellTreeView : public TWinControl {
public:
    explicit TShellTreeView(TComponent* Owner);
    std::string GetRoot() const;
    void SetRoot(const std::string& Folder);
    std::string GetPath() const;  // empty while nothing is selected
    TNotifyEvent OnChange;

private:
    struct TImpl;
    std::shared_ptr<TImpl> Impl;
};

// A folder chosen from the folders of Root and typed paths.
class TShellComboBox : public TWinControl {
public:
    explicit TShellComboBox(TComponent* Owner);
    std::string GetRoot() const;
    void SetRoot(const std::string& Folder);
    std::string GetPath() const;
    void SetPath(const std::string& Folder);
    TNotifyEvent OnChange;

private:
    struct TImpl;
    std::shared_ptr<TImpl> Impl;
};

// The files and folders of Root as a list.
class TShellListView : public TWinControl {
public:
    explicit TShellListView(TComponent* Owner);
    std::string GetRoot() const;
    void SetRoot(const std::string& Folder);
    int Count() const;  // entries shown, once the folder has been read
    std::string ItemName(int Index) const;

private:
    struct TImpl;
    std::shared_ptr<TImpl> Impl;
};

// Fires OnChange on the GUI thread when a file or folder inside Root is added, removed
// or changed (also below it with WatchSubTree). Watches nothing while Root is empty.
class TShellChangeNotifier : public TComponent {
public:
    explicit TShellChangeNotifier(TComponent* Owner);
    ~TShellChangeNotifier() override;
    std::string GetRoot() const { return FRoot; }
    void SetRoot(const std::string& Folder);
    bool GetWatchSubTree() const { return FWatchSubTree; }
    void SetWatchSubTree(bool Value);
    TNotifyEvent OnChange;

private:
    void Rewatch();
    struct TImpl;
    std::unique_ptr<TImpl> Impl;
    std::string FRoot;
    bool FWatchSubTree = true;
};
