#include "settings/RegistryException.h"

ERegistryException ERegistryException::invalidDataType(const QString& valueName) {
    return ERegistryException(QStringLiteral("'%1' のﾃﾞｰﾀ型が不正です").arg(valueName));
}

ERegistryException ERegistryException::cannotCreateSection(const QString& sectionName) {
    return ERegistryException(QStringLiteral("ｷｰ %1 の作成に失敗しました").arg(sectionName));
}

ERegistryException ERegistryException::cannotWrite(const QString& valueName) {
    return ERegistryException(QStringLiteral("'%1' の設定に失敗しました").arg(valueName));
}

ERegistryException ERegistryException::cannotRead(const QString& valueName) {
    return ERegistryException(QStringLiteral("'%1' の取得に失敗しました").arg(valueName));
}
