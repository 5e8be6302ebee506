#include "platform/qt/FolderBrowserDialog.h"

#include "text/Cp949.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <system_error>

namespace mrv::platform::qt {
namespace fs = std::filesystem;

namespace {

constexpr const char* kTitle = "폴더 찾아보기";
constexpr const char* kHomeButtonText = "홈 폴더";
constexpr const char* kOkText = "확인";
constexpr const char* kCancelText = "취소";

QString ToQString(const fs::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.native())); }
fs::path FromQString(const QString& text) { return fs::path(QFile::encodeName(text).toStdString()); }

// A folder as the browser reports it: absolute, without a trailing separator
// except for "/" itself.
fs::path AsReported(const fs::path& folder)
{
    std::error_code ec;
    fs::path p = fs::absolute(folder, ec).lexically_normal();
    if (!p.has_filename() && p != p.root_path()) p = p.parent_path();
    return p;
}

bool IsWithin(const fs::path& folder, const fs::path& root)
{
    const fs::path relative = folder.lexically_relative(root);
    return !relative.empty() && *relative.begin() != "..";
}

} // namespace

FolderBrowserDialog::FolderBrowserDialog(QWidget* parent, const BrowseRequest& request)
    : QDialog(parent), m_request(request), m_root(request.root ? AsReported(*request.root) : fs::path("/"))
{
    setObjectName(kObjectName);
    setWindowTitle(QString::fromUtf8(kTitle));

    m_prompt = new QLabel(QString::fromStdString(text::Cp949ToUtf8Lossy(request.prompt)), this);
    m_prompt->setTextFormat(Qt::PlainText);
    m_prompt->setWordWrap(true);

    m_status = new QLabel(this);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);

    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setReadOnly(true);
    m_model->setRootPath(ToQString(m_root));

    m_tree = new QTreeView(this);
    m_tree->setModel(m_model);
    m_tree->setHeaderHidden(true);
    for (int column = 1; column < m_model->columnCount(); ++column) m_tree->hideColumn(column);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setSortingEnabled(true);
    m_tree->sortByColumn(0, Qt::AscendingOrder);
    // Without a root the tree starts above "/", so "/" itself is its one top item.
    if (request.root) m_tree->setRootIndex(m_model->index(ToQString(m_root)));
    connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { OnSelectionChanged(); });

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QString::fromUtf8(kOkText), QDialogButtonBox::AcceptRole);
    m_cancel = buttons->addButton(QString::fromUtf8(kCancelText), QDialogButtonBox::RejectRole);
    m_ok->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* bottom = new QHBoxLayout;
    if (!request.root) {
        auto* home = new QPushButton(QString::fromUtf8(kHomeButtonText), this);
        home->setAutoDefault(false);
        connect(home, &QPushButton::clicked, this, [this] { SetSelection(FromQString(QDir::homePath())); });
        bottom->addWidget(home);
    }
    bottom->addStretch();
    bottom->addWidget(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_prompt);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_status);
    layout->addLayout(bottom);
    resize(440, 480);
}

void FolderBrowserDialog::SetSelection(const fs::path& folder)
{
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(folder, ec)) return;
    const fs::path target = AsReported(folder);
    if (m_request.root && target != m_root && !IsWithin(target, m_root)) return;

    QModelIndex index = m_model->index(ToQString(target));
    if (!index.isValid() && !(m_model->filter() & QDir::Hidden)) {
        // A hidden folder can still be the one asked for: show hidden folders then.
        m_model->setFilter(m_model->filter() | QDir::Hidden);
        index = m_model->index(ToQString(target));
    }
    if (!index.isValid()) return;
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index);
}

void FolderBrowserDialog::SetStatusText(const std::string& cp949)
{
    m_status->setText(QString::fromStdString(text::Cp949ToUtf8Lossy(cp949)));
}

std::optional<fs::path> FolderBrowserDialog::CurrentFolder() const
{
    const QModelIndexList rows = m_tree->selectionModel()->selectedRows(0);
    if (rows.isEmpty()) return std::nullopt;
    const QString folder = m_model->filePath(rows.first());
    if (folder.isEmpty()) return std::nullopt;
    return FromQString(folder);
}

QString FolderBrowserDialog::PromptText() const { return m_prompt->text(); }
QString FolderBrowserDialog::StatusText() const { return m_status->text(); }
bool FolderBrowserDialog::CanAccept() const { return m_ok->isEnabled(); }

void FolderBrowserDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_initialized) return;
    m_initialized = true;
    if (m_request.callback) m_request.callback(*this, BrowseEvent::Initialized, nullptr);
}

void FolderBrowserDialog::OnSelectionChanged()
{
    const std::optional<fs::path> folder = CurrentFolder();
    m_ok->setEnabled(folder.has_value());
    // The selection model also signals when the model re-sorts or loads rows
    // under the selected item; the callback hears of real moves only.
    if (m_reported && *m_reported == folder) return;
    m_reported = folder;
    if (!m_request.callback) return;
    m_request.callback(*this, BrowseEvent::SelectionChanged, folder ? &*folder : nullptr);
}

} // namespace mrv::platform::qt
