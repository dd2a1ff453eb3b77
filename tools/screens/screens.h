#pragma once
// The scenes of the documentation's screenshots. A scene builds its windows
// on a temporary program folder, fills them as a user would see them and
// saves each picture through the context.
#include <QString>
#include <string>

class QWidget;

struct TSceneContext {
    std::string Folder; // an empty program folder of the scene's own (CP932, trailing "/")
    QString OutputDir;  // where the pictures go
    // Shows the widget, lets it lay out and paint, and writes OutputDir/file,
    // drawn at the scale (2: as on a display of twice the pixel density).
    // False (with a line on standard error) when the file cannot be written.
    bool Save(QWidget& widget, const QString& file, qreal scale = 1) const;
};

using TSceneFunction = void (*)(TSceneContext&);

struct TSceneRegistrar {
    TSceneRegistrar(const char* name, TSceneFunction scene);
};

// Defines a scene: MARROWBY_SCENE(viewer) { ... use context ... }
#define MARROWBY_SCENE(name)                                                                       \
    static void Scene_##name(TSceneContext& context);                                              \
    static const TSceneRegistrar SceneRegistrar_##name(#name, Scene_##name);                       \
    static void Scene_##name([[maybe_unused]] TSceneContext& context)
