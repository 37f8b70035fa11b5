#include "engines/skin/TSkin.h"

#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include "engines/skin/SkinFileParser.h"
#include "engines/skin/SkinStrip.h"
#include "engines/skin/SkinStyleSheet.h"
#include "engines/skin/VectorPicture.h"

namespace {

constexpr char kPreparedProperty[] = "velmoraSkinPrepared";
constexpr int kPictureSize = 20;

std::string ReadSkinText(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly))
    throw SkinError("Cannot load the skin file " + path + ": " + file.errorString().toStdString());
  return file.readAll().toStdString();
}

std::string WindowName(const QWidget* window) {
  QString name = window->objectName();
  return name.isEmpty() ? std::string(window->metaObject()->className()) : name.toStdString();
}

// The window and the plain panels inside it, but not every child widget.
QString WindowSelector(QWidget* window) {
  if (window->objectName().isEmpty()) window->setObjectName("skinnedWindow");
  QString self = "#" + window->objectName();
  return self + ", " + self + " > QWidget#centralWidget";
}

}  // namespace

TSkin::TSkin(QObject* parent) : SkinEvents(parent) { setObjectName("Skin1"); }

TSkin::~TSkin() = default;

void TSkin::LoadSkinFile(const std::string& path) {
  std::string folder = QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
  SkinDefinition skin = ParseSkinFile(ReadSkinText(path), path, folder);
  objects_.clear();
  for (const auto& [name, object] : skin.objects) objects_[name] = std::make_unique<SkinObject>(name);
  skin_ = std::move(skin);
}

void TSkin::PrepareWindow(QWidget* window) {
  if (!skin_) return;
  if (!window) throw SkinError("PrepareWindow: no window given");
  window->setProperty(kPreparedProperty, true);
}

void TSkin::ApplyWindowSkin(QWidget* window, const std::string& formName) {
  if (!skin_) return;
  if (!window) throw SkinError("ApplyWindowSkin: no window given");
  if (!window->property(kPreparedProperty).toBool())
    throw SkinError("ApplyWindowSkin: the window " + WindowName(window) + " was not prepared");
  auto form = skin_->forms.find(formName);
  if (form == skin_->forms.end()) throw SkinError("The skin has no form \"" + formName + "\"");
  window->setStyleSheet(SkinStyleSheet(*skin_, form->second, WindowSelector(window)));
  if (!form->second.strip.empty()) FillStrip(window, form->second);
  window->setProperty(kPreparedProperty, false);
}

void TSkin::FillStrip(QWidget* window, const FormDefinition& form) {
  auto* host = window->findChild<QWidget*>("Skin1");
  if (!host)
    throw SkinError("The window " + WindowName(window) + " has no place named Skin1 for the objects of form " +
                    form.name);
  std::vector<StripEntry> entries;
  for (const std::string& name : form.strip) {
    const SkinObjectDefinition& object = skin_->objects.at(name);
    entries.push_back({objects_.at(name).get(), QString::fromStdString(object.caption),
                       QString::fromStdString(object.hint),
                       VectorPicture::Parse(object.picture).Render(kPictureSize)});
  }
  BuildSkinStrip(host, entries, *this);
}
