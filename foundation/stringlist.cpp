#include "foundation/stringlist.h"

#include "foundation/csvline.h"
#include "foundation/datafile.h"
#include "platform/file.h"
#include "platform/text.h"

void TStringList::Delete(int i) {
    if (i >= 0 && i < GetCount()) Strings.erase(Strings.begin() + i);
}

int TStringList::IndexOf(std::string_view s) const {
    for (int i = 0; i < GetCount(); ++i)
        if (platform::SameText((*this)[i], s)) return i;
    return -1;
}

std::string TStringList::GetText() const {
    return JoinDataLines(Strings);
}

void TStringList::SetText(std::string_view text) {
    Strings = SplitDataLines(text);
}

std::string TStringList::GetCommaText() const {
    return CSVLineWrite(Strings);
}

void TStringList::SetCommaText(std::string_view line) {
    Strings = CSVLineRead(line);
}

bool TStringList::LoadFromFile(std::string_view path) {
    auto text = platform::ReadFile(path);
    Strings.clear();
    if (!text) return false;
    SetText(*text);
    return true;
}

bool TStringList::SaveToFile(std::string_view path, unsigned mode, std::string* error) const {
    return WriteDataFile(path, Strings, mode, error);
}
