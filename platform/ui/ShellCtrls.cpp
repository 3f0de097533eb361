#include "platform/ui/ShellCtrls.h"

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFileSystemModel>
#include <QFileSystemWatcher>
#include <QListView>
#include <QTreeView>

#include "platform/ui/ControlsInternal.h"

namespace {

// The model reads folders on a thread of its own; the views show what it has read.
QFileSystemModel* FolderModel(QObject* Parent, QDir::Filters Filters)
{
    auto* model = new QFileSystemModel(Parent);
    model->setFilter(Filters | QDir::NoDotAndDotDot);
    model->setRootPath(QDir::rootPath());
    return model;
}

}  // namespace

struct TShellTreeView::TImpl {
    QTreeView* View = nullptr;
    QFileSystemModel* Model = nullptr;
    std::string Root;
};

TShellTreeView::TShellTreeView(TComponent* Owner) : TWinControl(Owner), Impl(std::make_shared<TImpl>())
{
    auto* view = new QTreeView();
    Impl->View = view;
    Impl->Model = FolderModel(view, QDir::AllDirs);
    view->setModel(Impl->Model);
    for (int column = 1; column < Impl->Model->columnCount(); ++column) view->hideColumn(column);
    view->setHeaderHidden(true);
    view->resize(121, 97);
    QObject::connect(view->selectionModel(), &QItemSelectionModel::currentChanged,
                     [this](const QModelIndex&, const QModelIndex&) {
                         if (OnChange) OnChange(this);
                     });
    SetWidget(view);
}

std::string TShellTreeView::GetRoot() const { return Impl->Root; }

void TShellTreeView::SetRoot(const std::string& Folder)
{
    Impl->Root = Folder;
    Impl->View->setRootIndex(Impl->Model->index(ToQ(Folder)));
}

std::string TShellTreeView::GetPath() const
{
    const QModelIndex current = Impl->View->currentIndex();
    return current.isValid() ? FromQ(Impl->Model->filePath(current)) : std::string();
}

struct TShellComboBox::TImpl {
    QComboBox* Combo = nullptr;
    std::string Root;
};

TShellComboBox::TShellComboBox(TComponent* Owner) : TWinControl(Owner), Impl(std::make_shared<TImpl>())
{
    auto* combo = new QComboBox();
    combo->setEditable(true);
    combo->resize(145, 21);
    Impl->Combo = combo;
    QObject::connect(combo, &QComboBox::currentTextChanged, [this](const QString&) {
        if (OnChange) OnChange(this);
    });
    SetWidget(combo);
}

std::string TShellComboBox::GetRoot() const { return Impl->Root; }

void TShellComboBox::SetRoot(const std::string& Folder)
{
    Impl->Root = Folder;
    QComboBox* combo = Impl->Combo;
    const QSignalBlocker quiet(combo);
    combo->clear();
    combo->addItem(ToQ(Folder));
    const QDir root(ToQ(Folder));
    for (const QString& name : root.entryList(QDir::AllDirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        combo->addItem(root.filePath(name));
    combo->setCurrentIndex(0);
}

std::string TShellComboBox::GetPath() const { return FromQ(Impl->Combo->currentText()); }

void TShellComboBox::SetPath(const std::string& Folder) { Impl->Combo->setCurrentText(ToQ(Folder)); }

struct TShellListView::TImpl {
    QListView* View = nullptr;
    QFileSystemModel* Model = nullptr;
    std::string Root;
};

TShellListView::TShellListView(TComponent* Owner) : TWinControl(Owner), Impl(std::make_shared<TImpl>())
{
    auto* view = new QListView();
    Impl->View = view;
    Impl->Model = FolderModel(view, QDir::AllEntries);
    view->setModel(Impl->Model);
    view->resize(250, 150);
    SetWidget(view);
}

std::string TShellListView::GetRoot() const { return Impl->Root; }

void TShellListView::SetRoot(const std::string& Folder)
{
    Impl->Root = Folder;
    Impl->Model->setRootPath(ToQ(Folder));
    Impl->View->setRootIndex(Impl->Model->index(ToQ(Folder)));
}

int TShellListView::Count() const { return Impl->Model->rowCount(Impl->View->rootIndex()); }

std::string TShellListView::ItemName(int Index) const
{
    const QModelIndex item = Impl->Model->index(Index, 0, Impl->View->rootIndex());
    return item.isValid() ? FromQ(Impl->Model->fileName(item)) : std::string();
}

struct TShellChangeNotifier::TImpl {
    QFileSystemWatcher Watcher;
};

TShellChangeNotifier::TShellChangeNotifier(TComponent* Owner) : TComponent(Owner), Impl(std::make_unique<TImpl>())
{
    auto changed = [this](const QString&) {
        // A new folder below the root must be watched too before the next change in it.
        if (FWatchSubTree) Rewatch();
        if (OnChange) OnChange(this);
    };
    QObject::connect(&Impl->Watcher, &QFileSystemWatcher::directoryChanged, changed);
    QObject::connect(&Impl->Watcher, &QFileSystemWatcher::fileChanged, changed);
}

TShellChangeNotifier::~TShellChangeNotifier() = default;

void TShellChangeNotifier::SetRoot(const std::string& Folder)
{
    FRoot = Folder;
    Rewatch();
}

void TShellChangeNotifier::SetWatchSubTree(bool Value)
{
    FWatchSubTree = Value;
    Rewatch();
}

void TShellChangeNotifier::Rewatch()
{
    QFileSystemWatcher& watcher = Impl->Watcher;
    if (!watcher.directories().isEmpty()) watcher.removePaths(watcher.directories());
    if (!watcher.files().isEmpty()) watcher.removePaths(watcher.files());
    if (FRoot.empty() || !QDir(ToQ(FRoot)).exists()) return;
    QStringList folders{ToQ(FRoot)};
    if (FWatchSubTree) {
        QDirIterator below(ToQ(FRoot), QDir::AllDirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (below.hasNext()) folders << below.next();
    }
    watcher.addPaths(folders);
}
