#include "ui/wizards/uWizard_FilesBackup_Sources.h"

#include "i18n/Translate.h"
#include "jobs/JobSettingsChecks.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmListViewer.h"
#include "ui/widgets/SourceTree.h"

#include <QComboBox>
#include <QEnterEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace {

// A label that acts as a link: underlined except while the mouse is over it.
class TLinkLabel : public QLabel
{
public:
    explicit TLinkLabel(QWidget* parent) : QLabel(parent)
    {
        setCursor(Qt::PointingHandCursor);
        QPalette colours = palette();
        colours.setColor(QPalette::WindowText, colours.color(QPalette::Link));
        setPalette(colours);
        SetUnderlined(true);
    }

    std::function<void()> OnClick;

protected:
    void enterEvent(QEnterEvent* event) override
    {
        SetUnderlined(false);
        QLabel::enterEvent(event);
    }
    void leaveEvent(QEvent* event) override
    {
        SetUnderlined(true);
        QLabel::leaveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick)
            OnClick();
        QLabel::mouseReleaseEvent(event);
    }

private:
    void SetUnderlined(bool underlined)
    {
        QFont shown = font();
        shown.setUnderline(underlined);
        setFont(shown);
    }
};

const QString kDefaultExtensions = QStringLiteral("txt;doc;exe");

} // namespace

TFilesWizardSourcesPage::TFilesWizardSourcesPage(TfrmListViewer& listViewer, QWidget* parent)
    : QWidget(parent), listViewer(listViewer), lbSourcesCaption(new QLabel(this)),
      sourceTree(new SourceTree(this)), Label21(new TLinkLabel(this)), lbFilter(new QLabel(this)),
      cmbFilterExt(new QComboBox(this)), edExtFilter(new QLineEdit(this))
{
    setObjectName(QStringLiteral("cardWizard_Sources"));
    lbSourcesCaption->setObjectName(QStringLiteral("lbSourcesCaption"));
    Label21->setObjectName(QStringLiteral("Label21"));
    lbFilter->setObjectName(QStringLiteral("lbFilter"));
    cmbFilterExt->setObjectName(QStringLiteral("cmbFilterExt"));
    edExtFilter->setObjectName(QStringLiteral("edExtFilter"));
    cmbFilterExt->addItems({QString(), QString(), QString()});
    lbFilter->setBuddy(cmbFilterExt);
    lbSourcesCaption->setBuddy(sourceTree);

    auto* top = new QHBoxLayout;
    top->addWidget(lbSourcesCaption);
    top->addStretch();
    top->addWidget(Label21);
    auto* filter = new QHBoxLayout;
    filter->addWidget(lbFilter);
    filter->addWidget(cmbFilterExt);
    filter->addWidget(edExtFilter, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(sourceTree, 1);
    layout->addLayout(filter);

    static_cast<TLinkLabel*>(Label21)->OnClick = [this] { ShowList(); };
    sourceTree->OnCheckedPathsChanged = [this] { RefreshViewAsListLink(); };
    connect(cmbFilterExt, &QComboBox::currentIndexChanged, this,
            &TFilesWizardSourcesPage::cmbFilterExtChange);
}

void TFilesWizardSourcesPage::TranslateCaptions()
{
    lbSourcesCaption->setText(Translate(QStringLiteral("Check the folders and files to back up:")));
    lbFilter->setText(Translate(QStringLiteral("Filter:")));
    cmbFilterExt->setItemText(0, Translate(QStringLiteral("No filters")));
    cmbFilterExt->setItemText(1, Translate(QStringLiteral("Include only extensions:")));
    cmbFilterExt->setItemText(2, Translate(QStringLiteral("Exclude extensions:")));
    RefreshViewAsListLink();
}

void TFilesWizardSourcesPage::RefreshViewAsListLink()
{
    Label21->setText(Translate(QStringLiteral("View as list")) + QStringLiteral(" (") +
                     QString::number(sourceTree->CheckedPaths().size()) + ')');
}

QStringList TFilesWizardSourcesPage::CheckedPaths() const
{
    return sourceTree->CheckedPaths();
}

void TFilesWizardSourcesPage::Clear()
{
    sourceTree->SetCheckedPaths({});
    sourceTree->Refresh();
    edExtFilter->setText(kDefaultExtensions);
    cmbFilterExt->setCurrentIndex(ftNoFilters);
    cmbFilterExtChange();
    RefreshViewAsListLink();
}

void TFilesWizardSourcesPage::Load(const TSourceSettings& sources)
{
    sourceTree->SetCheckedPaths(ExistingSources(sources.List));
    sourceTree->Refresh();
    edExtFilter->setText(sources.Extensions);
    cmbFilterExt->setCurrentIndex(sources.FilterType);
    cmbFilterExtChange();
    RefreshViewAsListLink();
}

void TFilesWizardSourcesPage::Save(TSourceSettings& sources) const
{
    sources.List = sourceTree->CheckedPaths();
    sources.Extensions = edExtFilter->text();
    sources.FilterType = TFilterType(std::max(cmbFilterExt->currentIndex(), 0));
}

bool TFilesWizardSourcesPage::CheckBeforeNext()
{
    QString extensions = edExtFilter->text();
    const TSettingsCheck check =
        CheckFilesSources(sourceTree->CheckedPaths(), TFilterType(cmbFilterExt->currentIndex()), extensions);
    edExtFilter->setText(extensions);
    if (check.Code == ccPassed)
        return true;
    ShowMessageDialog(check.Message, check.IsError ? mtError : mtWarning, mbOK, 0, window());
    switch (check.Code) {
    case ccWholeFileSystem:
        return true;
    case ccDuplicatedNames:
        ShowList();
        break;
    case ccBadExtensionFilter:
        edExtFilter->setFocus();
        break;
    default:
        break;
    }
    return false;
}

void TFilesWizardSourcesPage::cmbFilterExtChange()
{
    edExtFilter->setEnabled(cmbFilterExt->currentIndex() > 0);
}

void TFilesWizardSourcesPage::ShowList()
{
    listViewer.ShowList(sourceTree->CheckedPaths());
}
