#include "storage/StageSettingsStore.h"

#include "storage/RegistryStore.h"

namespace melvanta {

bool SaveStageSettings(RegistryStore& store, const StageSettings& settings)
{
    for (const StageField& field : stageFields()) {
        const QString name = QString::fromLatin1(field.name);
        if (field.kind() == FieldKind::Int16)
            store.putNumber(name, std::get<qint16 StageSettings::*>(field.member) == &StageSettings::tixingtime
                                      ? settings.tixingtime
                                      : 0);
        else
            store.putText(name, fieldText(settings, field));
    }
    return store.flush();
}

StageSettings LoadStageSettings(const RegistryStore& store, const QDate& today)
{
    const StageSettings defaults = StageSettings::defaults(today);
    StageSettings loaded = defaults;
    bool complete = true;
    for (const StageField& field : stageFields()) {
        const std::optional<QString> text = store.text(QString::fromLatin1(field.name));
        if (!text || !setFieldFromText(loaded, field, *text))
            complete = false;
    }
    // Without a 7-character `checkone` no valid record is stored, however
    // complete the rest looks.
    if (loaded.checkone.size() != 7 || !HoldsStageSettings(store))
        return defaults;
    if (complete)
        return loaded;

    // A valid record with gaps: take what is there, value by value.
    StageSettings partial = defaults;
    for (const StageField& field : stageFields()) {
        const std::optional<QString> text = store.text(QString::fromLatin1(field.name));
        if (text)
            setFieldFromText(partial, field, *text);
        else if (field.kind() == FieldKind::Text)
            setFieldFromText(partial, field, QString());
    }
    return partial;
}

bool HoldsStageSettings(const RegistryStore& store)
{
    return store.text(QStringLiteral("checkone")).value_or(QString()).size() == 7;
}

bool ClearStageSettings(RegistryStore& store)
{
    for (const StageField& field : stageFields())
        store.erase(QString::fromLatin1(field.name));
    return store.flush();
}

} // namespace melvanta
