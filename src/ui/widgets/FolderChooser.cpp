#include "ui/widgets/FolderChooser.h"

#include "base/Placeholders.h"
#include "i18n/Translate.h"
#include "platform/SmbPath.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QQueue>
#include <QStyle>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cerrno>
#include <cstring>
#include <functional>
#include <thread>

namespace {

QQueue<QString>& queuedAnswers()
{
    static QQueue<QString> answers;
    return answers;
}

QList<TFolderChooserSettings>& askedSettings()
{
    static QList<TFolderChooserSettings> asked;
    return asked;
}

constexpr int kPathRole = Qt::UserRole;
constexpr int kListedRole = Qt::UserRole + 1; // the item's folders have been asked for

// What the user typed as a server ("host", "host:port", "//host", "\\host", "smb://host", or a whole
// network path) as a "//host[:port]" path; empty when it names no server.
QString serverPathOf(const QString& typed)
{
    QString text = typed.trimmed();
    if (text.isEmpty())
        return QString();
    if (!IsSmbPath(text))
        text.prepend(QStringLiteral("//"));
    TSmbPath path = ParseSmbPath(text);
    path.share.clear();
    path.rest.clear();
    return path.host.isEmpty() ? QString() : path.toPath();
}

QString errorText(int error, const QString& path)
{
    const QString server = ParseSmbPath(path).host;
    switch (error) {
    case EACCES:
    case EPERM:
        return FillPlaceholders(
            Translate(QStringLiteral("Access denied to \"%s\". Check the user name and the password.")),
            {path});
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return FillPlaceholders(Translate(QStringLiteral("\"%s\" was not found.")), {path});
    case ENOTDIR:
        return FillPlaceholders(Translate(QStringLiteral("\"%s\" is not a folder.")), {path});
    case ECONNREFUSED:
    case EHOSTUNREACH:
    case EHOSTDOWN:
    case ENETUNREACH:
    case ENETDOWN:
    case ETIMEDOUT:
    case ECONNRESET:
        return FillPlaceholders(Translate(QStringLiteral("The server \"%s\" cannot be reached.")), {server});
    case EINVAL:
        return FillPlaceholders(Translate(QStringLiteral("\"%s\" is not a network path.")), {path});
    default:
        return FillPlaceholders(Translate(QStringLiteral("Unable to read \"%s\": %s")),
                                {path, QString::fromLocal8Bit(std::strerror(error))});
    }
}

struct TNames
{
    int Error = 0;
    QStringList Names;
};

} // namespace

QString ChooseFolder(QWidget* parent, const TFolderChooserSettings& settings)
{
    if (!queuedAnswers().isEmpty()) {
        askedSettings().append(settings);
        return queuedAnswers().dequeue();
    }
    TfrmFolderChooser dialog(parent);
    dialog.Prepare(settings);
    return dialog.exec() == QDialog::Accepted ? dialog.ChosenFolder() : QString();
}

namespace FolderChooserHook {

void answerNext(const QString& path)
{
    queuedAnswers().enqueue(path);
}

void clearAnswers()
{
    queuedAnswers().clear();
    askedSettings().clear();
}

QList<TFolderChooserSettings> asked()
{
    return askedSettings();
}

} // namespace FolderChooserHook

TfrmFolderChooser::TfrmFolderChooser(QWidget* parent)
    : QDialog(parent), lbPrompt(new QLabel(this)), lbServer(new QLabel(this)), edServer(new QLineEdit(this)),
      btShowShares(new QPushButton(this)), lbAccount(new QLabel(this)), tvNetwork(new QTreeWidget(this)),
      tvLocal(new QTreeView(this)), localModel(new QFileSystemModel(this)), lbFolder(new QLabel(this)),
      edFolder(new QLineEdit(this)), lbStatus(new QLabel(this)),
      buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)),
      btOK(buttons->button(QDialogButtonBox::Ok)), btCancel(buttons->button(QDialogButtonBox::Cancel))
{
    setObjectName(QStringLiteral("frmFolderChooser"));
    lbPrompt->setObjectName(QStringLiteral("lbPrompt"));
    edServer->setObjectName(QStringLiteral("edServer"));
    btShowShares->setObjectName(QStringLiteral("btShowShares"));
    lbAccount->setObjectName(QStringLiteral("lbAccount"));
    tvNetwork->setObjectName(QStringLiteral("tvNetwork"));
    tvLocal->setObjectName(QStringLiteral("tvLocal"));
    edFolder->setObjectName(QStringLiteral("edFolder"));
    lbStatus->setObjectName(QStringLiteral("lbStatus"));
    btOK->setObjectName(QStringLiteral("btOK"));
    btCancel->setObjectName(QStringLiteral("btCancel"));

    lbPrompt->setWordWrap(true);
    lbServer->setBuddy(edServer);
    lbFolder->setBuddy(edFolder);
    lbStatus->setWordWrap(true);
    lbStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);

    tvNetwork->setHeaderHidden(true);
    tvNetwork->setColumnCount(1);

    localModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    localModel->setReadOnly(true);
    localModel->setRootPath(QStringLiteral("/"));
    tvLocal->setModel(localModel);
    tvLocal->setRootIndex(localModel->index(QStringLiteral("/")));
    tvLocal->setHeaderHidden(true);
    for (int column = 1; column < localModel->columnCount(); ++column)
        tvLocal->hideColumn(column);

    auto* serverRow = new QHBoxLayout;
    serverRow->addWidget(lbServer);
    serverRow->addWidget(edServer, 1);
    serverRow->addWidget(btShowShares);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(lbFolder);
    folderRow->addWidget(edFolder, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbPrompt);
    layout->addLayout(serverRow);
    layout->addWidget(lbAccount);
    layout->addWidget(tvNetwork, 1);
    layout->addWidget(tvLocal, 1);
    layout->addLayout(folderRow);
    layout->addWidget(lbStatus);
    layout->addWidget(buttons);
    resize(520, 460);

    // Enter in the server box lists its shares instead of confirming the dialog.
    btShowShares->setAutoDefault(false);
    btOK->setAutoDefault(false);
    btCancel->setAutoDefault(false);
    connect(edServer, &QLineEdit::returnPressed, this, &TfrmFolderChooser::ShowShares);
    connect(edFolder, &QLineEdit::returnPressed, this, &TfrmFolderChooser::okClicked);
    connect(btShowShares, &QPushButton::clicked, this, &TfrmFolderChooser::ShowShares);
    connect(tvNetwork, &QTreeWidget::itemExpanded, this, &TfrmFolderChooser::networkItemExpanded);
    connect(tvNetwork, &QTreeWidget::itemSelectionChanged, this, &TfrmFolderChooser::networkSelectionChanged);
    connect(tvLocal->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TfrmFolderChooser::localSelectionChanged);
    connect(edFolder, &QLineEdit::textChanged, this, &TfrmFolderChooser::updateOkButton);
    connect(localModel, &QFileSystemModel::directoryLoaded, this, [this](const QString& folder) {
        if (!localStart.isEmpty() &&
            (localStart == folder || localStart.startsWith(folder + '/') || folder == QLatin1String("/")))
            showLocalStart();
    });
    // The user's own choice ends the wait for the start folder.
    connect(tvLocal, &QTreeView::clicked, this, [this] { localStart.clear(); });
    connect(btOK, &QPushButton::clicked, this, &TfrmFolderChooser::okClicked);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmFolderChooser::~TfrmFolderChooser() = default;

void TfrmFolderChooser::Prepare(const TFolderChooserSettings& settings)
{
    current = settings;
    chosenFolder.clear();
    ++generation;
    setWindowTitle(settings.Title);
    lbPrompt->setText(settings.Prompt);
    lbPrompt->setVisible(!settings.Prompt.isEmpty());
    lbServer->setText(Translate(QStringLiteral("Server:")));
    btShowShares->setText(Translate(QStringLiteral("Show shares")));
    lbFolder->setText(Translate(QStringLiteral("Folder:")));
    btOK->setText(Translate(QStringLiteral("OK")));
    btCancel->setText(Translate(QStringLiteral("Cancel")));
    edServer->setPlaceholderText(Translate(QStringLiteral("server name or address")));
    setStatus(QString(), false);
    edFolder->clear();
    tvNetwork->clear();

    const bool network = settings.Root == frNetwork;
    lbServer->setVisible(network);
    edServer->setVisible(network);
    btShowShares->setVisible(network);
    lbAccount->setVisible(network);
    tvNetwork->setVisible(network);
    tvLocal->setVisible(!network);
    if (network) {
        const QString user = settings.Credentials.User.trimmed();
        lbAccount->setText(
            user.isEmpty() ? Translate(QStringLiteral("Connecting as the current user or as a guest."))
                           : FillPlaceholders(Translate(QStringLiteral("Connecting as \"%s\".")), {user}));
        edFolder->setPlaceholderText(QStringLiteral("//server/share/folder"));
        const QString server = serverPathOf(settings.StartFolder);
        edServer->setText(server);
        if (!server.isEmpty())
            ShowShares();
        else
            setStatus(Translate(QStringLiteral(
                          "Type the name or the address of a server and choose \"Show shares\".")),
                      false);
        edServer->setFocus();
    } else {
        edFolder->setPlaceholderText(QString());
        const QString start = settings.StartFolder.trimmed();
        tvLocal->collapseAll();
        tvLocal->setCurrentIndex(QModelIndex());
        localStart.clear();
        if (!start.isEmpty() && QFileInfo(start).isDir()) {
            localStart = QFileInfo(start).absoluteFilePath();
            edFolder->setText(localStart);
            showLocalStart();
        }
        tvLocal->setFocus();
    }
    updateOkButton();
}

template <class Result>
void TfrmFolderChooser::runInBackground(std::function<Result()> work, std::function<void(const Result&)> done)
{
    ++pendingRequests;
    updateOkButton();
    const QPointer<TfrmFolderChooser> self(this);
    const quint64 started = generation;
    std::thread([self, started, work = std::move(work), done = std::move(done)] {
        const Result result = work();
        QMetaObject::invokeMethod(
            qApp,
            [self, started, done, result] {
                if (!self)
                    return;
                --self->pendingRequests;
                if (started == self->generation)
                    done(result);
                self->updateOkButton();
            },
            Qt::QueuedConnection);
    }).detach();
}

void TfrmFolderChooser::ShowShares()
{
    const QString typed = edServer->text().trimmed();
    const QString server = serverPathOf(typed);
    ++generation;
    tvNetwork->clear();
    edFolder->clear();
    if (server.isEmpty()) {
        setStatus(Translate(QStringLiteral("Please type the name or the address of a server.")), true);
        return;
    }
    edServer->setText(server);
    // A whole path typed as the server is taken as the folder, too.
    if (IsSmbPath(typed) && ParseSmbPath(typed).isValid())
        edFolder->setText(NormaliseSmbPath(typed));
    setStatus(FillPlaceholders(Translate(QStringLiteral("Connecting to \"%s\"...")), {server}), false);
    const TSmbCredentials credentials = current.Credentials;
    runInBackground<TNames>(
        [server, credentials] {
            TNames result;
            result.Error = ListSmbShares(server, credentials, result.Names);
            return result;
        },
        [this, server](const TNames& result) {
            if (result.Error != 0) {
                setStatus(errorText(result.Error, server), true);
                return;
            }
            if (result.Names.isEmpty()) {
                setStatus(
                    FillPlaceholders(Translate(QStringLiteral("\"%s\" offers no shared folders.")), {server}),
                    false);
                return;
            }
            setStatus(QString(), false);
            const QIcon shareIcon = style()->standardIcon(QStyle::SP_DriveNetIcon);
            for (const QString& share : result.Names) {
                auto* item = new QTreeWidgetItem(tvNetwork, {share});
                item->setIcon(0, shareIcon);
                item->setData(0, kPathRole, server + '/' + share);
                item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
            }
        });
}

void TfrmFolderChooser::networkItemExpanded(QTreeWidgetItem* item)
{
    if (item->data(0, kListedRole).toBool())
        return;
    item->setData(0, kListedRole, true);
    const QString folder = item->data(0, kPathRole).toString();
    const TSmbCredentials credentials = current.Credentials;
    setStatus(FillPlaceholders(Translate(QStringLiteral("Reading \"%s\"...")), {folder}), false);
    runInBackground<TNames>(
        [folder, credentials] {
            TNames result;
            result.Error = ListSmbFolders(folder, credentials, result.Names);
            return result;
        },
        [this, folder](const TNames& result) {
            // The item may have gone with a new listing of the same server: look it up again.
            QTreeWidgetItem* parent = nullptr;
            for (QTreeWidgetItemIterator it(tvNetwork); *it && !parent; ++it)
                if ((*it)->data(0, kPathRole).toString() == folder)
                    parent = *it;
            if (!parent)
                return;
            if (result.Error != 0) {
                // Asked again on the next expansion.
                parent->setData(0, kListedRole, false);
                setStatus(errorText(result.Error, folder), true);
                return;
            }
            setStatus(QString(), false);
            const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
            for (const QString& name : result.Names) {
                auto* child = new QTreeWidgetItem(parent, {name});
                child->setIcon(0, folderIcon);
                child->setData(0, kPathRole, folder + '/' + name);
                child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
            }
            if (result.Names.isEmpty())
                parent->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
        });
}

void TfrmFolderChooser::showLocalStart()
{
    if (localStart.isEmpty())
        return;
    // The model reads folders in the background: the start folder's row exists once its parent is read.
    const QModelIndex index = localModel->index(localStart);
    if (!index.isValid())
        return;
    const QSignalBlocker blocker(tvLocal->selectionModel());
    tvLocal->setCurrentIndex(index);
    tvLocal->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void TfrmFolderChooser::networkSelectionChanged()
{
    const QList<QTreeWidgetItem*> selected = tvNetwork->selectedItems();
    if (!selected.isEmpty())
        edFolder->setText(selected.first()->data(0, kPathRole).toString());
}

void TfrmFolderChooser::localSelectionChanged()
{
    const QModelIndex index = tvLocal->currentIndex();
    if (index.isValid())
        edFolder->setText(localModel->filePath(index));
}

QString TfrmFolderChooser::typedFolder() const
{
    const QString text = edFolder->text().trimmed();
    if (current.Root == frNetwork)
        return IsSmbPath(text) ? NormaliseSmbPath(text) : QString();
    return text;
}

void TfrmFolderChooser::updateOkButton()
{
    const QString folder = typedFolder();
    const bool usable = current.Root == frNetwork ? ParseSmbPath(folder).isValid() : !folder.isEmpty();
    btOK->setEnabled(usable && !Busy());
}

void TfrmFolderChooser::setStatus(const QString& text, bool isError)
{
    lbStatus->setText(text);
    lbStatus->setProperty("error", isError);
    QPalette palette = this->palette();
    if (isError)
        palette.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x20));
    lbStatus->setPalette(palette);
    lbStatus->setVisible(!text.isEmpty());
}

void TfrmFolderChooser::okClicked()
{
    const QString folder = typedFolder();
    if (current.Root == frNetwork) {
        if (!ParseSmbPath(folder).isValid()) {
            setStatus(Translate(QStringLiteral("Please choose a shared folder: //server/share/folder")),
                      true);
            return;
        }
        if (!current.OnlyExistingFolder) {
            acceptFolder(folder);
            return;
        }
        setStatus(FillPlaceholders(Translate(QStringLiteral("Checking \"%s\"...")), {folder}), false);
        const TSmbCredentials credentials = current.Credentials;
        runInBackground<int>([folder, credentials] { return CheckSmbFolder(folder, credentials); },
                             [this, folder](const int& error) {
                                 if (error != 0)
                                     setStatus(errorText(error, folder), true);
                                 else
                                     acceptFolder(folder);
                             });
        return;
    }
    if (folder.isEmpty())
        return;
    const QFileInfo info(folder);
    if (current.OnlyExistingFolder && !info.isDir()) {
        setStatus(FillPlaceholders(Translate(QStringLiteral("The folder \"%s\" does not exist.")), {folder}),
                  true);
        return;
    }
    acceptFolder(info.absoluteFilePath());
}

void TfrmFolderChooser::acceptFolder(const QString& folder)
{
    chosenFolder = folder;
    QDialog::accept();
}
