#include "ui/filterpagekinds.h"

#include <QLineEdit>

#include "filter/messagefilterbody.h"
#include "filter/messagefilterheader.h"
#include "filter/messagefilterhost.h"
#include "filter/messagefilterip.h"
#include "filter/messagefiltermailer.h"
#include "filter/messagefiltersender.h"
#include "filter/messagefiltersubject.h"
#include "platform/inetaddr.h"
#include "ui/ddx.h"

namespace {

const char* const CaptionKeyword = "ｷｰﾜｰﾄﾞ";
const char* const CaptionRegular = "正規表現";
const char* const CaptionCaseless = "大文字／小文字の区別をしない";

// A tab whose rules hold a keyword with its two flags, from item First on.
class TKeywordRulePage : public TFilterListPage {
public:
    using TFilterListPage::TFilterListPage;

protected:
    void AddKeywordItems(int first) {
        FFirst = first;
        AddKeyword(CaptionKeyword, "ｷｰﾜｰﾄﾞ(&K)", ControlName("Edit", "Keyword"));
        AddCheck(CaptionRegular, "正規表現(&R)", ControlName("CX", "Regular"));
        AddCheck(CaptionCaseless, "大文字／小文字を区別しない(&C)", ControlName("CX", "Caseless"));
    }
    std::string Keyword() const { return DDX->Items(FFirst).AsString(); }
    bool Regular() const { return DDX->Items(FFirst + 1).AsBoolean(); }
    bool Caseless() const { return DDX->Items(FFirst + 2).AsBoolean(); }
    void SetKeyword(const std::string& keyword, bool regular, bool caseless) {
        DDX->Items(FFirst).SetValue(keyword);
        DDX->Items(FFirst + 1).SetValue(regular);
        DDX->Items(FFirst + 2).SetValue(caseless);
    }
    std::optional<std::pair<int, TPatternError>> PatternError() const override {
        if (auto error = KeywordPatternError(Keyword(), Regular(), Caseless()))
            return std::make_pair(FFirst, *error);
        return std::nullopt;
    }

private:
    int FFirst = 0;
};

class TSenderPage : public TKeywordRulePage {
public:
    TSenderPage(const TFilterPageNames& names, TMessageFilters& list, QWidget* parent)
        : TKeywordRulePage(names, list,
                           {{"対象", 140}, {"ｷｰﾜｰﾄﾞ", 140}, {"正規表現", 80}, {"文字の大小", 80}},
                           parent) {
        AddKeywordItems(0);
        AddCheck("Return-Path をﾁｪｯｸ", "Return-Path をﾁｪｯｸ(&P)",
                 ControlName("CX", "CheckReturnPath"));
        AddCheck("From をﾁｪｯｸ", "From をﾁｪｯｸ(&F)", ControlName("CX", "CheckFrom"));
    }

protected:
    std::unique_ptr<TMessageFilter> NewFilter() const override {
        return std::make_unique<TMessageFilterSender>(&List(), Regular(), Caseless(), Keyword(),
                                                      DDX->Items(3).AsBoolean(),
                                                      DDX->Items(4).AsBoolean());
    }
    void ShowFilter(const TMessageFilter& filter) override {
        const auto& sender = dynamic_cast<const TMessageFilterSender&>(filter);
        SetKeyword(sender.GetKeyword(), sender.GetRegular(), sender.GetCaseless());
        DDX->Items(3).SetValue(sender.GetCheckReturnPath());
        DDX->Items(4).SetValue(sender.GetCheckFrom());
    }
};

template <class T>
class TKeywordPage : public TKeywordRulePage {
public:
    TKeywordPage(const TFilterPageNames& names, TMessageFilters& list, QWidget* parent)
        : TKeywordRulePage(names, list, {{"ｷｰﾜｰﾄﾞ", 180}, {"正規表現", 90}, {"文字の大小", 90}},
                           parent) {
        AddKeywordItems(0);
    }

protected:
    std::unique_ptr<TMessageFilter> NewFilter() const override {
        return std::make_unique<T>(&List(), Regular(), Caseless(), Keyword());
    }
    void ShowFilter(const TMessageFilter& filter) override {
        const auto& str = dynamic_cast<const TMessageFilterStr&>(filter);
        SetKeyword(str.GetKeyword(), str.GetRegular(), str.GetCaseless());
    }
};

class THeaderPage : public TKeywordRulePage {
public:
    THeaderPage(const TFilterPageNames& names, TMessageFilters& list, QWidget* parent)
        : TKeywordRulePage(names, list,
                           {{"ﾍｯﾀﾞ名", 100}, {"ｷｰﾜｰﾄﾞ", 160}, {"正規表現", 90}, {"文字の大小", 90}},
                           parent) {
        AddKeyword("ﾍｯﾀﾞ", "ﾍｯﾀﾞ名(&H)", ControlName("Edit", "Name"));
        AddKeywordItems(1);
    }

protected:
    std::unique_ptr<TMessageFilter> NewFilter() const override {
        return std::make_unique<TMessageFilterHeader>(&List(), DDX->Items(0).AsString(), Regular(),
                                                      Caseless(), Keyword());
    }
    void ShowFilter(const TMessageFilter& filter) override {
        const auto& header = dynamic_cast<const TMessageFilterHeader&>(filter);
        DDX->Items(0).SetValue(header.GetHeaderName());
        SetKeyword(header.GetKeyword(), header.GetRegular(), header.GetCaseless());
    }
    // The header name is a pattern fragment too, whatever the keyword's box says.
    std::optional<std::pair<int, TPatternError>> PatternError() const override {
        if (auto error = HeaderNamePatternError(DDX->Items(0).AsString()))
            return std::make_pair(0, *error);
        return TKeywordRulePage::PatternError();
    }
};

// The address as the user typed it: decimal octets, as the item checked them.
std::uint32_t Address(const TDDXItem& item) {
    std::uint32_t address = 0;
    platform::ReadDottedQuad(item.AsString(), address);
    return address;
}

class TIPPage : public TFilterListPage {
public:
    TIPPage(const TFilterPageNames& names, TMessageFilters& list, QWidget* parent)
        : TFilterListPage(names, list, {{"ﾈｯﾄﾜｰｸｱﾄﾞﾚｽ", 120}, {"ﾏｽｸ", 120}}, parent) {
        AddAddress("ﾈｯﾄﾜｰｸｱﾄﾞﾚｽ", "ﾈｯﾄﾜｰｸｱﾄﾞﾚｽ(&P)", "EditIPAddress", "0.0.0.0");
        AddAddress("ﾈｯﾄﾏｽｸ", "ﾏｽｸ(&M)", "EditIPMask", "255.255.255.255")
            ->setText("255.255.255.255");
    }

protected:
    std::unique_ptr<TMessageFilter> NewFilter() const override {
        return std::make_unique<TMessageFilterIP>(&List(), Address(DDX->Items(0)),
                                                  Address(DDX->Items(1)));
    }
    void ShowFilter(const TMessageFilter& filter) override {
        const auto& ip = dynamic_cast<const TMessageFilterIP&>(filter);
        DDX->Items(0).SetValue(ip.GetNetworkIP());
        DDX->Items(1).SetValue(ip.GetNetmaskIP());
    }
};

} // namespace

TFilterListPage* NewSenderPage(const TFilterPageNames& names, TMessageFilters& list,
                               QWidget* parent) {
    return new TSenderPage(names, list, parent);
}

template <class T>
TFilterListPage* NewKeywordPage(const TFilterPageNames& names, TMessageFilters& list,
                                QWidget* parent) {
    return new TKeywordPage<T>(names, list, parent);
}

template TFilterListPage* NewKeywordPage<TMessageFilterSubject>(const TFilterPageNames&,
                                                                TMessageFilters&, QWidget*);
template TFilterListPage* NewKeywordPage<TMessageFilterHost>(const TFilterPageNames&,
                                                             TMessageFilters&, QWidget*);
template TFilterListPage* NewKeywordPage<TMessageFilterMailer>(const TFilterPageNames&,
                                                               TMessageFilters&, QWidget*);
template TFilterListPage* NewKeywordPage<TMessageFilterBody>(const TFilterPageNames&,
                                                             TMessageFilters&, QWidget*);

TFilterListPage* NewIPPage(const TFilterPageNames& names, TMessageFilters& list, QWidget* parent) {
    return new TIPPage(names, list, parent);
}

TFilterListPage* NewHeaderPage(const TFilterPageNames& names, TMessageFilters& list,
                               QWidget* parent) {
    return new THeaderPage(names, list, parent);
}
