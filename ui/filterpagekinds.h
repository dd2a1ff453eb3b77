#pragma once
// The list tabs of the filter dialog by the kind of rule they edit, with
// the items of their TDDX in this order:
//   sender:  0 keyword, 1 regular expression, 2 caseless, 3 Return-Path, 4 From
//   keyword: 0 keyword, 1 regular expression, 2 caseless
//   address: 0 network, 1 netmask
//   header:  0 header name, 1 keyword, 2 regular expression, 3 caseless
#include "ui/filterlistpage.h"

TFilterListPage* NewSenderPage(const TFilterPageNames& names, TMessageFilters& list,
                               QWidget* parent);
// T is TMessageFilterSubject, TMessageFilterHost, TMessageFilterMailer or TMessageFilterBody.
template <class T>
TFilterListPage* NewKeywordPage(const TFilterPageNames& names, TMessageFilters& list,
                                QWidget* parent);
TFilterListPage* NewIPPage(const TFilterPageNames& names, TMessageFilters& list, QWidget* parent);
TFilterListPage* NewHeaderPage(const TFilterPageNames& names, TMessageFilters& list,
                               QWidget* parent);
