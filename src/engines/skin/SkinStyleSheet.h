// Turns a skin's colour styles into a Qt style sheet for one window of one form.
#pragma once

#include <QString>

#include "engines/skin/SkinDefinition.h"

// `windowSelector` picks the window itself, e.g. "#fm_main".
QString SkinStyleSheet(const SkinDefinition& skin, const FormDefinition& form,
                       const QString& windowSelector);
