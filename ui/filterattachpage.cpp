#include "ui/filterattachpage.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "filter/messagefilterattach.h"
#include "filter/ruleinput.h"
#include "platform/text.h"
#include "ui/ddx.h"
#include "ui/widgetmaker.h"
#include "ui/widgettext.h"

TFilterAttachPage::TFilterAttachPage(TMessageFilters& list, QWidget* parent)
    : TFilterTab("TSFilterAttach", "ﾘｽﾄに一致する拡張子が添付されたﾒｯｾｰｼﾞを削除します", "DDX9",
                 parent),
      FList(list) {
    LBAttach = Named(new QListWidget(this), "LBAttach");
    LBAttach->setSelectionMode(QAbstractItemView::SingleSelection);
    ButtonAttachAdd = MakeButton(this, "ButtonAttachAdd", "追加(&A)");
    ButtonAttachDel = MakeButton(this, "ButtonAttachDel", "削除(&R)");
    connect(ButtonAttachAdd, &QPushButton::clicked, this, &TFilterAttachPage::ButtonAttachAddClick);
    connect(ButtonAttachDel, &QPushButton::clicked, this, &TFilterAttachPage::ButtonAttachDelClick);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ButtonAttachAdd);
    buttons->addWidget(ButtonAttachDel);
    buttons->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(LBAttach, 1);
    row->addLayout(buttons);
    Body()->addLayout(row, 1);
    AddEditArea();
    AddKeyword("拡張子", "拡張子(&X)", "EditAttach");
}

void TFilterAttachPage::Fill() {
    LBAttach->clear();
    for (int i = 0; i < FList.Count(); ++i)
        LBAttach->addItem(Cp932ToQString(
            static_cast<const TMessageFilterAttach*>(FList.Items(i))->GetExtension()));
}

void TFilterAttachPage::AppIdle() {
    ButtonAttachAdd->setEnabled(DDX->GetModified());
    ButtonAttachDel->setEnabled(SelectedRow(LBAttach) >= 0);
}

void TFilterAttachPage::ButtonAttachAddClick() {
    if (!DDX->Download(window())) return;
    const std::string typed = DDX->Items(0).AsString();
    const std::string extension = TypedExtension(typed);
    // Each line shows its rule's extension, in lower case when added here.
    if (ListedExtension(FList, extension)) return;
    if (auto error = ExtensionPatternError(extension)) {
        error->Offset += static_cast<int>(typed.size() - extension.size());
        if (!ConfirmPattern(0, *error)) return;
    }
    FList.Add(std::make_unique<TMessageFilterAttach>(&FList, extension));
    LBAttach->addItem(Cp932ToQString(platform::LowerCase(extension)));
}

void TFilterAttachPage::ButtonAttachDelClick() {
    DeleteSelected(LBAttach, FList);
}
