#include "model/classes/QVModelAtlas.h"

#include "model/classes/QVModelMediaPath.h"

QVBaseModelAtlas::QVBaseModelAtlas(const std::string& name) : QVModel(name) QV_ATLAS_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_width->setRange(128.0f, 4096.0f);
    m_height->setRange(128.0f, 4096.0f);
    m_width->setValue(2048.0f, true);
    m_height->setValue(2048.0f, true);
    m_padding->setValue(4.0f, true);
}

QVBaseModelAtlas::QVBaseModelAtlas(const QVBaseModelAtlas& source)
    : QVModel(source) QV_ATLAS_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

std::string QVBaseModelAtlas::imagePath() const { return qvMediaPath("/atlases/atlas_ID", id(), ".png"); }
std::string QVBaseModelAtlas::plistPath() const { return qvMediaPath("/atlases/atlas_ID", id(), ".plist"); }

QV_CHILD_LIST_HOOKS(QVBaseModelAtlas, QVModel, m_sprites)

float QVBaseModelAtlas::width() const { return m_width ? m_width->value() : 0.0f; }
float QVBaseModelAtlas::height() const { return m_height ? m_height->value() : 0.0f; }
float QVBaseModelAtlas::padding() const { return m_padding ? m_padding->value() : 0.0f; }

QVModelAtlas::QVModelAtlas(const std::string& name) : QVBaseModelAtlas(name) {}

QVModelAtlas::QVModelAtlas(const QVModelAtlas& source) : QVBaseModelAtlas(source) {}
