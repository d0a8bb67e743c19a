#pragma once

#include <QString>

// The About message: title, version (from the build), copyright and contact lines.
QString aboutText();
