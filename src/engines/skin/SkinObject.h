// A clickable object of a skin, as the click signal hands it over. Its first operation gives
// its name; the window compares that name with its command names.
#pragma once

#include <QObject>
#include <string>

class ISkinObject {
 public:
  virtual std::string Name() const = 0;

 protected:
  ~ISkinObject() = default;
};

class SkinObject final : public ISkinObject {
 public:
  explicit SkinObject(std::string name) : name_(std::move(name)) {}
  std::string Name() const override { return name_; }

 private:
  std::string name_;
};

// The click signal of a skin. A separate base so the window can listen to it without knowing
// which engine drew the objects; the plain buttons of an unskinned window click through it too.
class SkinEvents : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  void Click(ISkinObject* object) { emit OnClick(object); }

 signals:
  void OnClick(ISkinObject* object);
};
