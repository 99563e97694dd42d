// QVModelAtlas: a packed sprite sheet, "<data path>/atlases/atlas_ID<id>"
// with ".png" and ".plist". Its sprite list holds the children of exactly
// class QVModelSprite, as the sprite container's does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/classes/QVAttributeTable.h"
#include "model/classes/QVChildList.h"
#include "model/classes/QVModelSprite.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelGlue.h"

#define QV_ATLAS_ATTRIBUTES(X)            \
    X(QVAttributeFloat, width, "width")   \
    X(QVAttributeFloat, height, "height") \
    X(QVAttributeFloat, padding, "padding")

class QVBaseModelAtlas : public QVModel {
public:
    virtual std::string imagePath() const;
    virtual std::string plistPath() const;

    void childAdded(const std::shared_ptr<QVModel>& child) override;
    void childRemoved(const std::shared_ptr<QVModel>& child) override;
    void childrenCleared() override;

    float width() const;
    float height() const;
    float padding() const;
    const std::vector<std::shared_ptr<QVModelSprite>>& sprites() const { return m_sprites.items(); }

protected:
    explicit QVBaseModelAtlas(const std::string& name);
    QVBaseModelAtlas(const QVBaseModelAtlas& source);

    QV_ATLAS_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)

private:
    QVChildList<QVModelSprite, QVChildMatch::kExactClass> m_sprites;
};

class QVModelAtlas : public QVBaseModelAtlas {
    QV_MODEL_GLUE(QVModelAtlas, "", QVModel)
public:
    explicit QVModelAtlas(const std::string& name);
    QVModelAtlas(const QVModelAtlas& source);
};
