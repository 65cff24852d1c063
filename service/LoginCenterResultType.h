#pragma once

#include <QMetaType>

// Outcome of a cloud operation of the login center.
enum LoginCenterResultType : qint32 {
    LoginCenterResultSuccess = 1,
    LoginCenterResultFailure = 2,
    LoginCenterResultTimeout = 3,
};

Q_DECLARE_METATYPE(LoginCenterResultType)
