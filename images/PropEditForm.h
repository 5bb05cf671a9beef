#pragma once
// The base of an image-property editor window: it shows one image's
// attributes and tells its owner when the user changed one. Subclasses run
// PrepareForm once their controls exist.

#include <QDialog>

#include <functional>

namespace images {

class KxImageData;

class TPropEditForm : public QDialog {
public:
    explicit TPropEditForm(QWidget* parent = nullptr) : QDialog(parent) {}

    const std::function<void()>& OnChange() const { return FOnChange; }
    void SetOnChange(std::function<void()> handler) { FOnChange = std::move(handler); }

    virtual void DoOnChange() = 0;
    virtual void UpdateImageProperties() = 0;
    virtual void SetImage(KxImageData* image) = 0;
    virtual void UpdateTagProperty(int GroupID, int ItemId, const QString& val) = 0;

private:
    std::function<void()> FOnChange;
};

} // namespace images
