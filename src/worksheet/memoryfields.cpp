#include "worksheet/memoryfields.h"

namespace tallaby::worksheet {

void MemoryFields::setText(Field field, const QString &text) {
    m_texts[index(field)] = text;
    ++m_writes[index(field)];
    ++m_revisions[index(field)];
}

void MemoryFields::setSelected(Option option) {
    m_selected = option;
    m_anySelected = true;
}

} // namespace tallaby::worksheet
