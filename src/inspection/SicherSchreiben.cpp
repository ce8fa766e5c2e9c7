#include "SicherSchreiben.h"

#include "Table.h"

#include <QVariant>
#include <vector>

void sicherSchreiben(Table& t, const std::function<void()>& beginEdit, const std::function<void()>& write, bool post)
{
    const bool wasEditing = t.isEditing();
    std::vector<QVariant> before;
    if (wasEditing)
        for (const auto& f : t.fields())
            before.push_back(f->kind() == FieldKind::Data ? f->value() : QVariant());
    if (!wasEditing)
        beginEdit();   // a refusal here changes nothing
    try {
        write();
        if (post)
            t.post();
    } catch (...) {
        if (t.isEditing()) {
            if (!wasEditing) {
                t.cancel();
            } else {
                for (size_t i = 0; i < before.size(); ++i) {
                    Field& f = t.fieldAt(int(i));
                    if (f.kind() != FieldKind::Data || f.value() == before[i])
                        continue;
                    try {
                        f.setValue(before[i]);
                    } catch (...) {
                    }
                }
            }
        }
        throw;
    }
}
