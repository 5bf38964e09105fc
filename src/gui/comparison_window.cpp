// SPDX-License-Identifier: MIT
#include "comparison_window.h"

#include "hex_view.h"
#include "text/number_text.h"
#include "window_place.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zfx::gui {

namespace {

constexpr int kRowRole = Qt::UserRole;

std::vector<ByteSpan> spans(const std::vector<std::int32_t>& offsets, std::int32_t width) {
    std::vector<ByteSpan> result;
    result.reserve(offsets.size());
    for (const std::int32_t at : offsets)
        result.push_back({at, width});
    return result;
}

QString identityText(const std::vector<IdentityDifference>& identity) {
    if (identity.empty()) return QStringLiteral("Same device, length, family, BIOS version and vendor.");
    QString text;
    for (const IdentityDifference& difference : identity) {
        const QString line =
            QString::fromStdString(difference.what + ": " + difference.before + " -> " + difference.after);
        text += (text.isEmpty() ? QString() : QStringLiteral("<br>")) +
                (difference.loud ? QStringLiteral("<b>") + line.toHtmlEscaped() + QStringLiteral("</b>")
                                 : line.toHtmlEscaped());
    }
    return text;
}

// A hex view with the label that names its file above it, in a pane of the splitter.
HexView* namedHexView(QSplitter* views, QLabel* name, const char* role) {
    auto* pane = new QWidget(views);
    auto* column = new QVBoxLayout(pane);
    column->setContentsMargins(0, 0, 0, 0);
    name->setParent(pane);
    name->setObjectName(QString::fromLatin1(role) + QStringLiteral("Name"));
    name->setTextFormat(Qt::PlainText);
    auto* hex = new HexView(pane);
    hex->setObjectName(QString::fromLatin1(role) + QStringLiteral("Hex"));
    column->addWidget(name);
    column->addWidget(hex, 1);
    views->addWidget(pane);
    return hex;
}

} // namespace

ComparisonWindow::ComparisonWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("ComparisonWindow"));
    m_identity = new QLabel(this);
    m_identity->setObjectName(QStringLiteral("ComparisonIdentity"));
    m_identity->setTextFormat(Qt::RichText);
    m_rows = new QTreeWidget(this);
    m_rows->setObjectName(QStringLiteral("ComparisonRows"));
    m_rows->setHeaderLabels({QStringLiteral("What differs")});
    m_rows->setRootIsDecorated(false);
    // Each image's bytes under the name of its file.
    auto* views = new QSplitter(this);
    m_openName = new QLabel(views);
    m_open = namedHexView(views, m_openName, "OpenImage");
    m_otherName = new QLabel(views);
    m_other = namedHexView(views, m_otherName, "OtherImage");
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_rows);
    split->addWidget(views);
    // A few rows above, the bytes below: the rows are short, the bytes what one looks at.
    split->setSizes({150, 500});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_identity);
    layout->addWidget(split, 1);
    connect(m_rows, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item) showRow(item->data(0, kRowRole).toInt());
    });
    placeOnScreen(*this, QSize(1100, 700));
}

void ComparisonWindow::compare(const ImageAnalysis& open, const QString& openName, const ImageAnalysis& other,
                               const QString& otherName) {
    setWindowTitle(QStringLiteral("Compare with ") + otherName);
    m_openName->setText(openName);
    m_otherName->setText(otherName);
    const ImageComparison compared = compareImages(open, other);
    m_identity->setText(compared.identical ? QStringLiteral("The images are the same, byte for byte.")
                                           : identityText(compared.identity));
    m_rows->clear();
    m_places.clear();
    m_open->setBytes(open.image.bytes());
    m_other->setBytes(other.image.bytes());
    for (const FieldChange& change : compared.fields) {
        const std::vector<std::int32_t>& before =
            change.offsetsBefore.empty() ? change.offsets : change.offsetsBefore;
        addRow(QStringLiteral("value"), changeLine(change),
               {spans(before, change.width), spans(change.offsets, change.width)});
    }
    for (const ByteRange& range : compared.otherBytes) {
        const std::string text = "bytes " + hexOffset(range.offset) + ".." +
                                 hexOffset(range.offset + range.length - 1) + ": " +
                                 (range.before.empty() ? "none" : range.before) + " -> " +
                                 (range.after.empty() ? "none" : range.after);
        addRow(QStringLiteral("bytes"), text,
               {{{range.offset, range.length}}, {{range.offset, range.length}}});
    }
    if (compared.checksum.changed())
        addRow(QStringLiteral("checksum"), checksumLine(compared.checksum),
               {{{open.image.size() - 1, 1}}, {{compared.checksum.offset, 1}}});
}

void ComparisonWindow::addRow(const QString& group, const std::string& text, RowPlaces places) {
    auto* item = new QTreeWidgetItem(m_rows, {QString::fromStdString(text)});
    item->setData(0, kRowRole, static_cast<int>(m_places.size()));
    item->setToolTip(0, group);
    m_places.push_back(std::move(places));
}

void ComparisonWindow::showRow(int row) {
    const RowPlaces& places = m_places.at(static_cast<std::size_t>(row));
    m_open->select(places.open);
    m_other->select(places.other);
}

QStringList ComparisonWindow::rowTexts() const {
    QStringList texts;
    for (int i = 0; i < m_rows->topLevelItemCount(); ++i)
        texts << m_rows->topLevelItem(i)->text(0);
    return texts;
}

} // namespace zfx::gui
