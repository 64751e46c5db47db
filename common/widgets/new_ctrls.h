// Two small components of the forms.
//   TFileOperation: copy, move, rename and delete of files and folders with the shell's
//                   options (overwrite confirmation, rename on collision, the trash for undo).
//   TFileDrop:      accepts files dropped on a window and hands their paths to OnFileDrop.
#pragma once
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

enum TFileOpFlag {
  fofMultiDestFiles,
  fofConfirmMouse,
  fofSilent,
  fofRenameOnCollision,
  fofNoConfirmation,
  fofWantMappingHandle,
  fofAllowUndo,
  fofFilesOnly,
  fofSimpleProgress,
  fofNoConfirmMkdir,
  fofNoErrorUI,
};

class TFileOpFlags {
 public:
  TFileOpFlags() = default;
  TFileOpFlags(std::initializer_list<TFileOpFlag> flags) {
    for (auto f : flags) bits_ |= 1u << f;
  }
  bool has(TFileOpFlag f) const { return bits_ & (1u << f); }
  void include(TFileOpFlag f) { bits_ |= 1u << f; }
  void exclude(TFileOpFlag f) { bits_ &= ~(1u << f); }
  bool operator==(const TFileOpFlags&) const = default;
  // The shell's FOF_* value of the set (fofWantMappingHandle has none).
  unsigned shell_flags() const;

 private:
  unsigned bits_ = 0;
};

// Operation codes, with the shell's values.
enum TFileOpCode { foMove = 1, foCopy = 2, foDelete = 3, foRename = 4 };

class TFileOperation {
 public:
  using PathList = std::vector<std::filesystem::path>;

  const PathList& FromFiles() const { return from_; }
  const PathList& ToFiles() const { return to_; }
  void SetFromFiles(const PathList& l) { from_ = l; }
  void SetToFiles(const PathList& l) { to_ = l; }

  TFileOpFlags Options{fofAllowUndo, fofFilesOnly};
  // The progress title (there is no progress window here).
  std::string Title;

  // Runs the operation on FromFiles and ToFiles, or on the given lists. A name may hold "*"
  // and "?" in its last part. The result is true when anything was not done: cancelled by
  // the user, refused, or failed.
  bool Execute(TFileOpCode op);
  bool Execute(TFileOpCode op, const PathList& from, const PathList& to);

 private:
  PathList from_, to_;
};

class TFileDrop : public QObject {
  Q_OBJECT
 public:
  // Files (CP932 paths) in the order the drop delivered them; x, y the drop point in the
  // client coordinates of the hooked window.
  using Handler = std::function<void(TFileDrop& sender, int num,
                                     const std::vector<std::string>& files, int x, int y)>;

  explicit TFileDrop(QObject* owner);
  ~TFileDrop() override;

  bool Accept() const { return accept_; }
  void SetAccept(bool on);
  QWidget* Control() const { return control_; }
  // Hooks the control's window instead of the owner's; nullptr hooks the owner again.
  void SetControl(QWidget* w);
  // After the form is built: hooks the owner's window when no control is set. An owner that
  // is no widget gets "Invalidate Window Handle in FileDrop" in the debug log.
  void Loaded();
  // The window whose drops arrive here (nullptr when none).
  QWidget* hooked() const { return hooked_; }

  Handler OnFileDrop;

 protected:
  bool eventFilter(QObject* obj, QEvent* ev) override;

 private:
  void hook();
  void unhook();

  bool accept_ = true;
  QPointer<QWidget> control_;
  QPointer<QWidget> hooked_;
  bool hooked_accepted_drops_ = false;
  QMetaObject::Connection control_gone_;
};
