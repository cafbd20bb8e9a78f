#include "workbench/qt/offsets_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vorn {

OffsetsDialog::OffsetsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("OffsetsDialog"));
    setWindowTitle(QStringLiteral("FSUIPC Offsets"));
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("OffsetFilter"));
    filter_->setPlaceholderText(QStringLiteral("a word of the name, the description or the offset"));
    auto* label = new QLabel(QStringLiteral("&Filter:"), this);
    label->setBuddy(filter_);

    const auto headings = OffsetsBrowser::Headings();
    table_ = new QTableWidget(0, int(headings.size()), this);
    table_->setObjectName(QStringLiteral("OffsetTable"));
    QStringList titles;
    for (std::string_view h : headings) titles << QString::fromUtf8(h.data(), qsizetype(h.size()));
    table_->setHorizontalHeaderLabels(titles);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setToolTip(QStringLiteral("Double-click a row to put its declaration at the caret"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& word) {
        browser_.SetFilter(word.toStdString());
        Fill();
    });
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (row < 0) return;
        const std::string text = browser_.Declaration(std::size_t(row));
        if (!text.empty()) emit DeclarationChosen(QString::fromStdString(text));
    });

    auto* layout = new QVBoxLayout(this);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(label);
    filterRow->addWidget(filter_);
    layout->addLayout(filterRow);
    layout->addWidget(table_);
    layout->addWidget(buttons);
    resize(900, 480);
    Fill();
}

void OffsetsDialog::Fill() {
    table_->setRowCount(int(browser_.RowCount()));
    for (std::size_t r = 0; r < browser_.RowCount(); ++r) {
        const std::vector<std::string> cells = browser_.Cells(r);
        for (std::size_t c = 0; c < cells.size(); ++c)
            table_->setItem(int(r), int(c), new QTableWidgetItem(QString::fromStdString(cells[c])));
    }
    table_->resizeColumnsToContents();
}

}  // namespace vorn
