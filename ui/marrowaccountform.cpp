// Creation, layout, showing and closing of the account dialog.
#include "ui/marrowaccountform.h"

#include <QAbstractEventDispatcher>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/tls.h"
#include "store/pop3accountlist.h"
#include "store/storelayout.h"
#include "ui/ddx.h"
#include "ui/ddxaccount.h"
#include "ui/reordericons.h"
#include "ui/widgettext.h"

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

constexpr int kColumnWidths[] = {80, 120, 80};
constexpr int kVisibleRows = 9;

QLineEdit* MakeEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

QLineEdit* EditOf(TDDXItem& item) {
    return static_cast<QLineEdit*>(item.GetControl());
}

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent) {
    auto* button = new QPushButton(Q(caption), parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TMarrowAccountForm::TMarrowAccountForm(const std::string& programFolder, QWidget* parent)
    : QDialog(parent), Pop3AccountList1(std::make_unique<TPop3AccountList>()) {
    setObjectName("MarrowAccountForm");
    setWindowTitle(Q("ｱｶｳﾝﾄ"));
    SetupAccountList(*Pop3AccountList1, programFolder);
    BuildLayout();
    DDX1 = new TDDX(this, "DDX1");
    AddDDXItems();
    ConnectHandlers();
}

TMarrowAccountForm::~TMarrowAccountForm() {
    disconnect(FIdleHook);
}

// The list with its tool bar on the left, the fields and their commands on
// the right, the close button under both. The dialog keeps the size of its
// content (a fixed border) at any scale and font.
void TMarrowAccountForm::BuildLayout() {
    auto* columns = new QHBoxLayout;
    columns->addWidget(BuildListPanel(), 1);
    columns->addWidget(BuildFields());
    ButtonClose = MakeButton("ButtonClose", "閉じる(&C)", this);
    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch();
    closeRow->addWidget(ButtonClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(closeRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* TMarrowAccountForm::BuildListPanel() {
    auto* panel = new QWidget(this);
    ToolBar1 = new QToolBar(panel);
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setFloatable(false);
    ToolBar1->setMovable(false);
    TBTop = MakeMoveButton("TBTop", "先頭へ移動", TReorderPicture::Top);
    TBUp = MakeMoveButton("TBUp", "1つ上へ移動", TReorderPicture::Up);
    TBDown = MakeMoveButton("TBDown", "1つ下へ移動", TReorderPicture::Down);
    TBBottom = MakeMoveButton("TBBottom", "最後へ移動", TReorderPicture::Bottom);

    LVAccounts = new QTreeWidget(panel);
    LVAccounts->setObjectName("LVAccounts");
    LVAccounts->setHeaderLabels({Q("設定名"), Q("ｻｰﾊﾞ名"), Q("ﾕｰｻﾞｰID")});
    LVAccounts->setRootIsDecorated(false);
    LVAccounts->setUniformRowHeights(true);
    LVAccounts->setSortingEnabled(false);
    LVAccounts->setSelectionMode(QAbstractItemView::SingleSelection);
    LVAccounts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LVAccounts->header()->setSectionsClickable(false);
    LVAccounts->header()->setSectionsMovable(false);
    LVAccounts->header()->setStretchLastSection(true);
    int width = 0;
    for (int column = 0; column < 3; ++column) {
        LVAccounts->setColumnWidth(column, kColumnWidths[column]);
        width += kColumnWidths[column];
    }
    const int frame = 2 * LVAccounts->frameWidth();
    LVAccounts->setMinimumSize(width + frame + 4, LVAccounts->header()->sizeHint().height() +
                                                      kVisibleRows * (fontMetrics().height() + 4) +
                                                      frame);

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(ToolBar1);
    layout->addWidget(LVAccounts, 1);
    return panel;
}

QToolButton* TMarrowAccountForm::MakeMoveButton(const char* name, const char* hint,
                                                TReorderPicture picture) {
    auto* button = new QToolButton(ToolBar1);
    button->setObjectName(name);
    button->setIcon(ReorderIcon(picture));
    button->setToolTip(Q(hint));
    button->setAutoRaise(true);
    ToolBar1->addWidget(button);
    return button;
}

// One labelled row per value, the check boxes, and the commands below them.
QWidget* TMarrowAccountForm::BuildFields() {
    auto* panel = new QWidget(this);
    EditAccount = MakeEdit("EditAccount", panel);
    EditHost = MakeEdit("EditHost", panel);
    EditUserID = MakeEdit("EditUserID", panel);
    EditPassword = MakeEdit("EditPassword", panel);
    EditPassword->setEchoMode(QLineEdit::Password);
    EditPort = MakeEdit("EditPort", panel);
    EditPort->setText("110");
    EditPort->setMaximumWidth(fontMetrics().horizontalAdvance(QString(8, '0')) + 12);
    EditAccount->setMinimumWidth(fontMetrics().horizontalAdvance(QString(28, 'x')));
    ComboSecurity = new QComboBox(panel);
    ComboSecurity->setObjectName("ComboSecurity");
    ComboSecurity->addItems({Q("なし"), Q("SSL/TLS"), Q("STARTTLS")});
    ComboSecurity->setToolTip(
        Q("ｻｰﾊﾞとの通信を暗号化します\n"
          "SSL/TLS: 最初から暗号化します (通常はﾎﾟｰﾄ 995)\n"
          "STARTTLS: 接続してから暗号化に切り替えます (通常はﾎﾟｰﾄ 110)\n"
          "暗号化できないときや、ｻｰﾊﾞの証明書を確認できないときは接続しません"));
    EditFingerprint = MakeEdit("EditFingerprint", panel);
    EditFingerprint->setToolTip(
        Q("自己署名証明書のｻｰﾊﾞでは、その証明書の SHA-256 指紋 (16進数64桁) を入力すると、\n"
          "その証明書だけを受け入れます。空欄なら証明書を認証局とｻｰﾊﾞ名で確認します"));
    CheckAPOP = new QCheckBox(Q("APOP対応(&E)"), panel);
    CheckAPOP->setObjectName("CheckAPOP");
    CheckStay = new QCheckBox(Q("ｻｰﾊﾞに残す(&S)"), panel);
    CheckStay->setObjectName("CheckStay");

    FFields = new QFormLayout;
    FFields->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    FFields->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    AddFieldRows(panel, {{"LabelAccount", "設定名(&N)", EditAccount},
                         {"LabelHost", "ｻｰﾊﾞ名(&H)", EditHost},
                         {"LabelUserID", "ﾕｰｻﾞｰID(&I)", EditUserID},
                         {"LabelPassword", "ﾊﾟｽﾜｰﾄﾞ(&W)", EditPassword},
                         {"LabelPort", "ﾎﾟｰﾄ(&P)", EditPort},
                         {"LabelSecurity", "接続の保護(&L)", ComboSecurity},
                         {"LabelFingerprint", "証明書の指紋(&F)", EditFingerprint}});
    BuildSignInRows(panel);
    FFields->addRow(QString(), CheckAPOP);
    FFields->addRow(QString(), CheckStay);

    ButtonAddAccount = MakeButton("ButtonAddAccount", "登録(&A)", panel);
    ButtonUpdAccount = MakeButton("ButtonUpdAccount", "更新(&U)", panel);
    ButtonDelAccount = MakeButton("ButtonDelAccount", "削除(&D)", panel);
    auto* commands = new QHBoxLayout;
    commands->addStretch();
    for (QPushButton* button : {ButtonAddAccount, ButtonUpdAccount, ButtonDelAccount})
        commands->addWidget(button);

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(FFields);
    layout->addStretch();
    layout->addLayout(commands);
    return panel;
}

void TMarrowAccountForm::AddFieldRows(QWidget* panel, std::initializer_list<TFieldRow> rows) {
    for (const TFieldRow& row : rows) {
        auto* label = new QLabel(Q(row.Label), panel);
        label->setObjectName(row.Name);
        label->setBuddy(row.Field);
        FFields->addRow(label, row.Field);
    }
}

void TMarrowAccountForm::AddDDXItems() {
    FNameItem = DDX1->Add(
        std::make_unique<TDDXAccount>(Sjis("設定名"), Pop3AccountList1.get(), "", EditAccount));
    const struct {
        const char* caption;
        QLineEdit* edit;
    } texts[] = {{"ｻｰﾊﾞ名", EditHost}, {"ﾕｰｻﾞID", EditUserID}, {"ﾊﾟｽﾜｰﾄﾞ", EditPassword}};
    // The password is required where it applies (RequireSignInFields).
    for (const auto& text : texts)
        DDX1->Add(std::make_unique<TDDXString>(Sjis(text.caption), text.edit, "", 0, 1))
            ->OnValidate = RefuseControlBytes();
    // A TCP port ends at 65535; a larger number would wrap to another port.
    DDX1->Add(std::make_unique<TDDXInteger>(Sjis("ﾎﾟｰﾄ"), EditPort, 110, 65535, 0));
    DDX1->Add(std::make_unique<TDDXCheckBox>(Sjis("APOP対応"), CheckAPOP, false));
    DDX1->Add(std::make_unique<TDDXCheckBox>(Sjis("ｻｰﾊﾞに残す"), CheckStay, false));
    DDX1->Add(std::make_unique<TDDXComboBox>(Sjis("接続の保護"), ComboSecurity, 0));
    DDX1->Add(std::make_unique<TDDXString>(Sjis("証明書の指紋"), EditFingerprint, "", 0, 0))
        ->OnValidate = [this](TDDXItem& item, bool& result, std::string& msg) {
        // Without TLS the field is off and its text is not kept.
        const std::string text = QStringToCp932(EditOf(item)->text());
        if (ComboSecurity->currentIndex() == 0 || text.empty() ||
            platform::NormalizeFingerprint(text))
            return;
        result = false;
        msg = item.GetCaption() + Sjis("は SHA-256 の指紋 (16進数64桁) を指定してください");
    };
    AddSignInItems();
}

void TMarrowAccountForm::ConnectHandlers() {
    connect(LVAccounts, &QTreeWidget::itemSelectionChanged, this,
            &TMarrowAccountForm::LVAccountsSelectItem);
    connect(ButtonAddAccount, &QPushButton::clicked, this,
            &TMarrowAccountForm::ButtonAddAccountClick);
    connect(ButtonUpdAccount, &QPushButton::clicked, this,
            &TMarrowAccountForm::ButtonUpdAccountClick);
    connect(ButtonDelAccount, &QPushButton::clicked, this,
            &TMarrowAccountForm::ButtonDelAccountClick);
    connect(ButtonClose, &QPushButton::clicked, this, [this] { done(ResultClose); });
    connect(ComboSecurity, &QComboBox::activated, this, &TMarrowAccountForm::ComboSecuritySelect);
    connect(TBUp, &QToolButton::clicked, this, [this] { MoveSelected(SelectedIndex() - 1); });
    connect(TBDown, &QToolButton::clicked, this, [this] { MoveSelected(SelectedIndex() + 1); });
    connect(TBTop, &QToolButton::clicked, this, [this] { MoveSelected(0); });
    connect(TBBottom, &QToolButton::clicked, this,
            [this] { MoveSelected(LVAccounts->topLevelItemCount() - 1); });
}

void TMarrowAccountForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!FIdleHook) FormShow();
}

// Each showing starts from the file, with nothing selected and empty fields.
void TMarrowAccountForm::FormShow() {
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        FIdleHook = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                            &TMarrowAccountForm::AppIdle);
    Pop3AccountList1->Load();
    LVAccounts->clear();
    for (int i = 0; i < Pop3AccountList1->GetCount(); ++i)
        InsertRow(Pop3AccountList1->GetAccounts(i));
    ResetFields();
    ShowSecretService();
    if (const QScreen* where = screen())
        move(where->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    AppIdle();
}

void TMarrowAccountForm::ResetFields() {
    for (int i = 0; i < 4; ++i)
        DDX1->Items(i).SetValue(std::string());
    DDX1->Items(4).SetValue(110);
    DDX1->Items(5).SetValue(false);
    DDX1->Items(6).SetValue(false);
    DDX1->Items(7).SetValue(static_cast<int>(platform::TTlsMode::None));
    DDX1->Items(8).SetValue(std::string());
    const TPop3AccountItem defaults(nullptr);
    UploadSignIn(defaults);
    DDX1->Upload();
}

void TMarrowAccountForm::done(int result) {
    FormClose();
    QDialog::done(result);
}

void TMarrowAccountForm::FormClose() {
    if (!FIdleHook) return; // not shown, or closed already
    disconnect(FIdleHook);
    FIdleHook = {};
    std::string error;
    while (!Pop3AccountList1->Save(&error) && AskRetrySave(error))
        error.clear();
}

// When the list cannot be written the user is told why and may try again
// (after freeing space, say); otherwise the main window reloads the list as
// it was when the dialog opened.
bool TMarrowAccountForm::AskRetrySave(const std::string& error) {
    QMessageBox box(QMessageBox::Critical, windowTitle(),
                    Q("ｱｶｳﾝﾄの一覧を保存できません") + "\n\n" + Cp932ToQString(error) + "\n\n" +
                        Q("「再試行」をｸﾘｯｸすると保存し直します\n"
                          "「中止」をｸﾘｯｸすると一覧の変更は保存されません"
                          " (ﾌｫﾙﾀﾞの作成、名前の変更、削除は元に戻りません)"),
                    QMessageBox::Retry | QMessageBox::Abort, this);
    box.button(QMessageBox::Retry)->setText(Q("再試行(&R)"));
    box.button(QMessageBox::Abort)->setText(Q("中止(&A)"));
    box.setDefaultButton(QMessageBox::Retry);
    return box.exec() == QMessageBox::Retry;
}
