#pragma once

#include "badpixellist.h"
#include "cameramodel.h"
#include "documentmodel.h"

#include <zelkir/views/roiimageview.h>

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <qqmlregistration.h>

#include <string>

namespace zelkir {

/// Marks and unmarks a connected camera's bad pixels by clicking them in an image view.
/// The camera's list is downloaded once the camera is connected; the picked pixels show as
/// the document's regions while picking; the list goes back to the camera when picking
/// ends, or after each click with applyInRealTime. All camera calls run on the camera's
/// own thread. A failed upload keeps the edits for the next one.
class CameraBadPixelPickerModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    /// Upload after every click instead of when picking ends.
    Q_PROPERTY(
        bool applyInRealTime READ applyInRealTime WRITE setApplyInRealTime NOTIFY applyInRealTimeChanged)
    /// The view whose clicks pick pixels.
    Q_PROPERTY(
        zelkir::RoiImageView* roiImageView READ roiImageView WRITE setRoiImageView NOTIFY roiImageViewChanged)
    /// The live document, or null; a file's document is never supported.
    Q_PROPERTY(zelkir::DocumentModel* documentModel READ documentModel WRITE setDocumentModel NOTIFY
            documentModelChanged)
    /// The connected camera keeps a bad-pixel list and it was downloaded.
    Q_PROPERTY(bool supported READ isSupported NOTIFY supportedChanged)
    /// A download or upload is under way.
    Q_PROPERTY(bool busy READ isBusy NOTIFY busyChanged)
    /// Picking is on; refused while not supported. Turning it off uploads the edits.
    Q_PROPERTY(bool enabled READ isEnabled WRITE setEnabled NOTIFY enabledChanged)

public:
    /// How the picked pixels are outlined.
    static constexpr const char* MarkColor = "#00e5ff";

    explicit CameraBadPixelPickerModel(QObject* parent = nullptr);
    ~CameraBadPixelPickerModel() override;

    bool applyInRealTime() const { return m_applyInRealTime; }
    void setApplyInRealTime(bool apply);
    RoiImageView* roiImageView() const { return m_view; }
    void setRoiImageView(RoiImageView* view);
    DocumentModel* documentModel() const { return m_document; }
    void setDocumentModel(DocumentModel* document);
    bool isSupported() const { return m_supported; }
    bool isBusy() const { return m_busy; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    /// The list as edited here, sent or not.
    const QList<QPoint>& badPixels() const { return m_list.pixels(); }
    /// Edits the camera has not accepted yet.
    bool hasUnsentEdits() const { return m_unsent; }
    /// Marks or unmarks `pixel` as a click on the view does; false when refused
    /// (not picking, or the list is full).
    bool togglePixel(QPoint pixel);

Q_SIGNALS:
    void applyInRealTimeChanged();
    void roiImageViewChanged();
    void documentModelChanged();
    void supportedChanged();
    void busyChanged();
    void enabledChanged();
    void bplDownloadFailed();
    void bplUploadFailed();

private:
    enum class Transfer { None, Download, Upload };
    struct Downloaded;

    void detach();
    void watchCamera();
    void onConnectedChanged();
    void onCameraFailed();
    void download();
    void onDownloaded(const Downloaded& result);
    void upload();
    /// `error` is empty when the camera took the list.
    void onUploaded(const std::string& error);
    void endTransfer();
    void setBusy(bool busy);
    void setSupported(bool supported);
    void changeEnabled(bool enabled);
    void showMarks();

    bool m_applyInRealTime = false;
    QPointer<RoiImageView> m_view;
    QPointer<DocumentModel> m_document;
    QPointer<LivePlayer> m_player;
    QPointer<CameraModel> m_camera;
    QMetaObject::Connection m_viewClicks;
    QMetaObject::Connection m_documentGone;
    QMetaObject::Connection m_cameraFailed;
    QMetaObject::Connection m_cameraModelWatch;
    QMetaObject::Connection m_connectedWatch;

    BadPixelList m_list;
    bool m_supported = false;
    bool m_enabled = false;
    bool m_busy = false;
    bool m_unsent = false;
    /// bplUploadFailed() already told of the unsent edits.
    bool m_unsentReported = false;
    /// The download of this connection was asked for.
    bool m_downloadStarted = false;
    Transfer m_transfer = Transfer::None;
    /// What the camera's loss cut short, reported if the camera failed rather than closed.
    Transfer m_interrupted = Transfer::None;
    /// Replies of an earlier connection carry an older generation and are ignored.
    quint64 m_generation = 0;
};

} // namespace zelkir
