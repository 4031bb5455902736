#pragma once
// A view of the main window found by its scene name (every named view carries it as its
// object name), for tests that look at what the user sees.
#include <QWidget>

template <typename T = QWidget>
T *sceneView(const QWidget &root, const char *name)
{
    return root.findChild<T *>(QString::fromLatin1(name));
}

template <typename T = QWidget>
T *sceneView(const QWidget *root, const char *name)
{
    return root ? sceneView<T>(*root, name) : nullptr;
}
