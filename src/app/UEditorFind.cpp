#include "UEditorFind.h"

#include "UQtText.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarnel {

TfrmEditorFind::TfrmEditorFind(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmEditorFind"));
    setModal(false);
    lblWhat_ = new QLabel(BuiltIn("Editor.Find.What"), this);
    lblWith_ = new QLabel(BuiltIn("Editor.Find.With"), this);
    edtWhat = new QLineEdit(this);
    edtWith = new QLineEdit(this);
    lblWhat_->setBuddy(edtWhat);
    lblWith_->setBuddy(edtWith);
    ckbMatchCase = new QCheckBox(BuiltIn("Editor.Find.MatchCase"), this);
    ckbWholeWord = new QCheckBox(BuiltIn("Editor.Find.WholeWord"), this);
    grpDirection_ = new QGroupBox(BuiltIn("Editor.Find.Direction"), this);
    rbnUp = new QRadioButton(BuiltIn("Editor.Find.Direction.Up"), grpDirection_);
    rbnDown = new QRadioButton(BuiltIn("Editor.Find.Direction.Down"), grpDirection_);
    rbnDown->setChecked(true);
    auto* direction = new QHBoxLayout(grpDirection_);
    direction->addWidget(rbnUp);
    direction->addWidget(rbnDown);
    btnFindNext = new QPushButton(BuiltIn("Editor.Find.Next.Button"), this);
    btnReplace = new QPushButton(BuiltIn("Editor.Find.Replace.Button"), this);
    btnReplaceAll = new QPushButton(BuiltIn("Editor.Find.ReplaceAll.Button"), this);
    btnCancel = new QPushButton(BuiltIn("Editor.Find.Cancel.Button"), this);
    btnFindNext->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(lblWhat_, 0, 0);
    grid->addWidget(edtWhat, 0, 1);
    grid->addWidget(lblWith_, 1, 0);
    grid->addWidget(edtWith, 1, 1);
    grid->addWidget(ckbMatchCase, 2, 0, 1, 2);
    grid->addWidget(ckbWholeWord, 3, 0, 1, 2);
    grid->addWidget(grpDirection_, 4, 0, 1, 2);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {btnFindNext, btnReplace, btnReplaceAll, btnCancel})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);

    connect(btnFindNext, &QPushButton::clicked, this, &TfrmEditorFind::findNext);
    connect(btnReplace, &QPushButton::clicked, this, &TfrmEditorFind::replaceNext);
    connect(btnReplaceAll, &QPushButton::clicked, this, &TfrmEditorFind::replaceAll);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::hide);
    auto enable = [this] {
        bool any = !edtWhat->text().isEmpty();
        for (QPushButton* b : {btnFindNext, btnReplace, btnReplaceAll})
            b->setEnabled(any);
    };
    connect(edtWhat, &QLineEdit::textChanged, this, enable);
    enable();
}

void TfrmEditorFind::Open(bool replace, const QString& what) {
    replace_ = replace;
    setWindowTitle(replace ? BuiltIn("Editor.Replace.NotFound.Title")
                           : BuiltIn("Editor.Search.NotFound.Title"));
    for (QWidget* w : std::initializer_list<QWidget*>{lblWith_, edtWith, btnReplace, btnReplaceAll})
        w->setVisible(replace);
    // Replace All works from the start forward; the replace dialog asks for no direction.
    grpDirection_->setVisible(!replace);
    if (!what.isEmpty()) edtWhat->setText(what);
    show();
    raise();
    activateWindow();
    edtWhat->setFocus();
    edtWhat->selectAll();
}

void TfrmEditorFind::ApplyLanguage(const TLanguage& language) {
    lblWhat_->setText(LangQ(language, "Editor.Find.What", lblWhat_->text()));
    lblWith_->setText(LangQ(language, "Editor.Find.With", lblWith_->text()));
    ckbMatchCase->setText(LangQ(language, "Editor.Find.MatchCase", ckbMatchCase->text()));
    ckbWholeWord->setText(LangQ(language, "Editor.Find.WholeWord", ckbWholeWord->text()));
    grpDirection_->setTitle(LangQ(language, "Editor.Find.Direction", grpDirection_->title()));
    rbnUp->setText(LangQ(language, "Editor.Find.Direction.Up", rbnUp->text()));
    rbnDown->setText(LangQ(language, "Editor.Find.Direction.Down", rbnDown->text()));
    btnFindNext->setText(LangQ(language, "Editor.Find.Next.Button", btnFindNext->text()));
    btnReplace->setText(LangQ(language, "Editor.Find.Replace.Button", btnReplace->text()));
    btnReplaceAll->setText(LangQ(language, "Editor.Find.ReplaceAll.Button", btnReplaceAll->text()));
    btnCancel->setText(LangQ(language, "Editor.Find.Cancel.Button", btnCancel->text()));
    setWindowTitle(replace_ ? LangQ(language, "Editor.Replace.NotFound.Title")
                            : LangQ(language, "Editor.Search.NotFound.Title"));
}

std::string TfrmEditorFind::What() const {
    return edtWhat->text().toStdString();
}
std::string TfrmEditorFind::With() const {
    return edtWith->text().toStdString();
}

TSearchOptions TfrmEditorFind::Options() const {
    TSearchOptions o;
    o.Forward = replace_ || rbnDown->isChecked();
    o.MatchCase = ckbMatchCase->isChecked();
    o.WholeWord = ckbWholeWord->isChecked();
    return o;
}

} // namespace tarnel
