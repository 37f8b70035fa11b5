// The skin engine: loads a skin file, colours windows by a form definition and puts the
// form's clickable objects, as a tool strip, into the window's child widget named "Skin1".
// Clicking an object emits OnClick with it.
//
// Until a skin file has loaded, PrepareWindow and ApplyWindowSkin leave windows as they are,
// so dialogs shown after a failed load go on unskinned instead of failing their show.
#pragma once

#include <QPointer>
#include <memory>
#include <optional>
#include <string>
#include <map>

#include "engines/skin/SkinDefinition.h"
#include "engines/skin/SkinEngine.h"
#include "engines/skin/SkinObject.h"

class QWidget;

class TSkin : public SkinEvents, public ISkinEngine {
  Q_OBJECT
 public:
  explicit TSkin(QObject* parent = nullptr);
  ~TSkin() override;

  void LoadSkinFile(const std::string& path) override;
  void PrepareWindow(QWidget* window) override;
  void ApplyWindowSkin(QWidget* window, const std::string& formName) override;

  bool loaded() const { return skin_.has_value(); }
  const SkinDefinition* definition() const { return skin_ ? &*skin_ : nullptr; }

 private:
  void FillStrip(QWidget* window, const FormDefinition& form);

  std::optional<SkinDefinition> skin_;
  // The objects the strip buttons hand out, by name; they live as long as the engine.
  std::map<std::string, std::unique_ptr<SkinObject>> objects_;
};
