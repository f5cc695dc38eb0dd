#include "ui/PropertyPage.h"

PropertyPage::PropertyPage(QWidget* parent) : QWidget(parent) {}

PropertyPage::~PropertyPage() = default;

void PropertyPage::SetScene(COGLScene* scene) { scene_ = scene; }
