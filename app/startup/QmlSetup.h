#pragma once

#include <QString>
#include <QUrl>

class Config;
class DravolinteApp;
class QQmlEngine;
class Varnok120X;

// How the pages are given their world, shared by the program, the Quick
// Tests and the screens tool so that all three see the same one.
namespace QmlSetup {

// Before the application object: the Basic style (Linux would pick Fusion,
// whose metrics the pages are not laid out for) and the on-screen keyboard's
// input method, which is only read when the application starts.
void prepareEnvironment();
// After the application object: the icon font "OrunFont" from
// "./Dravolinte/res/Orun.ttf" and the QML types the pages import. A missing
// font is logged; the pages show empty glyphs but keep their layout.
void registerTypes();
bool loadIconFont();
// The context objects "app", "config", "device" and "checkCamera", the image
// provider "myImage" (the engine takes it over) and the module's import path.
void setupEngine(QQmlEngine &engine, DravolinteApp &app, Config &config, Varnok120X &driver);
// The main window's document.
QUrl mainUrl();

} // namespace QmlSetup
