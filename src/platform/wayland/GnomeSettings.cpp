#include "platform/wayland/GnomeSettings.h"

// gio declares a struct member named `signals`, which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gsettingsbackend.h>
#pragma pop_macro("signals")

namespace {

struct ObjectDeleter
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct SchemaDeleter
{
    void operator()(GSettingsSchema *schema) const { g_settings_schema_unref(schema); }
};
struct VariantDeleter
{
    void operator()(GVariant *variant) const { g_variant_unref(variant); }
};
struct IterDeleter
{
    void operator()(GVariantIter *iter) const { g_variant_iter_free(iter); }
};

} // namespace

struct GnomeSettings::Private
{
    std::unique_ptr<GSettings, ObjectDeleter> settings;
    std::unique_ptr<GSettingsSchema, SchemaDeleter> schema;
    std::function<void()> changed;
    gulong handler = 0;

    QByteArray typeOf(const QString &key) const;
};

// The key's type string ("as", "s", ...); empty for a key the schema lacks.
QByteArray GnomeSettings::Private::typeOf(const QString &key) const
{
    const QByteArray name = key.toUtf8();
    if (!g_settings_schema_has_key(schema.get(), name.constData()))
        return {};
    GSettingsSchemaKey *schemaKey = g_settings_schema_get_key(schema.get(), name.constData());
    // The type belongs to the key: copied before the key goes.
    const GVariantType *type = g_settings_schema_key_get_value_type(schemaKey);
    const QByteArray text(g_variant_type_peek_string(type), qsizetype(g_variant_type_get_string_length(type)));
    g_settings_schema_key_unref(schemaKey);
    return text;
}

std::unique_ptr<GnomeSettings> GnomeSettings::open(const QString &schemaId, const QString &path)
{
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    if (!source)
        return nullptr;
    const QByteArray id = schemaId.toUtf8();
    std::unique_ptr<GSettingsSchema, SchemaDeleter> schema(
        g_settings_schema_source_lookup(source, id.constData(), TRUE));
    if (!schema)
        return nullptr;
    const bool relocatable = g_settings_schema_get_path(schema.get()) == nullptr;
    if (relocatable == path.isEmpty())
        return nullptr;
    auto d = std::make_unique<Private>();
    const QByteArray location = path.toUtf8();
    d->settings.reset(relocatable ? g_settings_new_full(schema.get(), nullptr, location.constData())
                                  : g_settings_new_full(schema.get(), nullptr, nullptr));
    d->schema = std::move(schema);
    return std::unique_ptr<GnomeSettings>(new GnomeSettings(std::move(d)));
}

bool GnomeSettings::isPersistent()
{
    GSettingsBackend *backend = g_settings_backend_get_default();
    const bool memory = backend && g_strcmp0(G_OBJECT_TYPE_NAME(backend), "GMemorySettingsBackend") == 0;
    g_clear_object(&backend);
    return !memory;
}

GnomeSettings::GnomeSettings(std::unique_ptr<Private> d)
    : d(std::move(d))
{
}

GnomeSettings::~GnomeSettings()
{
    if (d->handler)
        g_signal_handler_disconnect(d->settings.get(), d->handler);
}

QStringList GnomeSettings::keys() const
{
    QStringList keys;
    gchar **names = g_settings_schema_list_keys(d->schema.get());
    for (gchar **name = names; name && *name; ++name)
        keys << QString::fromUtf8(*name);
    g_strfreev(names);
    return keys;
}

std::optional<QStringList> GnomeSettings::strings(const QString &key) const
{
    const QByteArray type = d->typeOf(key);
    const QByteArray name = key.toUtf8();
    if (type == "s") {
        gchar *value = g_settings_get_string(d->settings.get(), name.constData());
        QStringList result{QString::fromUtf8(value)};
        g_free(value);
        return result;
    }
    if (type != "as")
        return std::nullopt;
    gchar **values = g_settings_get_strv(d->settings.get(), name.constData());
    QStringList result;
    for (gchar **value = values; value && *value; ++value)
        result << QString::fromUtf8(*value);
    g_strfreev(values);
    return result;
}

std::optional<std::vector<std::pair<QString, QString>>> GnomeSettings::stringPairs(const QString &key) const
{
    if (d->typeOf(key) != "a(ss)")
        return std::nullopt;
    std::unique_ptr<GVariant, VariantDeleter> value(g_settings_get_value(d->settings.get(), key.toUtf8().constData()));
    std::unique_ptr<GVariantIter, IterDeleter> iter(g_variant_iter_new(value.get()));
    std::vector<std::pair<QString, QString>> pairs;
    const gchar *first = nullptr;
    const gchar *second = nullptr;
    while (g_variant_iter_next(iter.get(), "(&s&s)", &first, &second))
        pairs.emplace_back(QString::fromUtf8(first), QString::fromUtf8(second));
    return pairs;
}

bool GnomeSettings::setStrings(const QString &key, const QStringList &value)
{
    const QByteArray type = d->typeOf(key);
    if (type == "s")
        return value.size() == 1 && setString(key, value.front());
    if (type != "as")
        return false;
    std::vector<QByteArray> utf8;
    std::vector<const gchar *> pointers;
    for (const QString &item : value)
        utf8.push_back(item.toUtf8());
    for (const QByteArray &item : utf8)
        pointers.push_back(item.constData());
    pointers.push_back(nullptr);
    return g_settings_set_strv(d->settings.get(), key.toUtf8().constData(), pointers.data());
}

bool GnomeSettings::setString(const QString &key, const QString &value)
{
    return g_settings_set_string(d->settings.get(), key.toUtf8().constData(), value.toUtf8().constData());
}

void GnomeSettings::reset(const QString &key)
{
    g_settings_reset(d->settings.get(), key.toUtf8().constData());
}

void GnomeSettings::onChanged(std::function<void()> callback)
{
    d->changed = std::move(callback);
    if (d->handler)
        return;
    const auto relay = +[](GSettings *, gchar *, gpointer data) {
        auto *self = static_cast<Private *>(data);
        if (self->changed)
            self->changed();
    };
    d->handler = g_signal_connect(d->settings.get(), "changed", G_CALLBACK(relay), d.get());
}

void GnomeSettings::sync()
{
    g_settings_sync();
}
