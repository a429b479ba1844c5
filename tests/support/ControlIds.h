#pragma once

// The ids of the controls that tests find, fill, press and read, dialog by dialog: a control
// keeps its id as its object name.
namespace Ids {
namespace Hub {
inline constexpr char kCategories[] = "1032";
}
namespace ClassManage {
inline constexpr char kList[] = "1006";
inline constexpr char kName[] = "1013";
inline constexpr char kNumber[] = "1029";
inline constexpr char kAdd[] = "1001";
inline constexpr char kRename[] = "1002";
inline constexpr char kDelete[] = "1026";
inline constexpr char kUp[] = "1034";
inline constexpr char kDown[] = "1035";
}  // namespace ClassManage
namespace ProductAdd {
inline constexpr char kCategory[] = "1022";
inline constexpr char kNumber[] = "1045";
inline constexpr char kTypeCode[] = "1029";
inline constexpr char kKey[] = "1018";
inline constexpr char kName[] = "1015";
inline constexpr char kPicture[] = "1013";
inline constexpr char kIntro[] = "1019";
inline constexpr char kChoosePicture[] = "1001";
inline constexpr char kChooseIntro[] = "1093";
inline constexpr char kModelList[] = "1040";
inline constexpr char kAddModels[] = "1003";
inline constexpr char kUp[] = "1034";
inline constexpr char kFinish[] = "1002";
}  // namespace ProductAdd
namespace ProductDetail {
inline constexpr char kFilter[] = "1022";
inline constexpr char kList[] = "1059";
inline constexpr char kNumber[] = "1062";
inline constexpr char kName[] = "1064";
inline constexpr char kTypeCode[] = "1091";
inline constexpr char kClassName[] = "1063";
inline constexpr char kKey[] = "1065";
inline constexpr char kModify[] = "1060";
inline constexpr char kDelete[] = "1061";
inline constexpr char kAddProduct[] = "1095";
}  // namespace ProductDetail
namespace ProductParam {
inline constexpr char kTree[] = "1043";
inline constexpr char kPath[] = "1013";
inline constexpr char kClass[] = "1022";
inline constexpr char kProduct[] = "1089";
inline constexpr char kKind[] = "1030";
inline constexpr char kSave[] = "1002";
}  // namespace ProductParam
namespace ModelManage {
inline constexpr char kFiles[] = "1000";
inline constexpr char kNote[] = "1029";
inline constexpr char kAdd[] = "1001";
inline constexpr char kDelete[] = "1002";
inline constexpr char kSetNote[] = "1038";
inline constexpr char kUp[] = "1034";
inline constexpr char kClass[] = "1022";
inline constexpr char kProduct[] = "1030";
}  // namespace ModelManage
namespace CompanyIntro {
inline constexpr char kList[] = "1087";
inline constexpr char kPicture[] = "1076";
inline constexpr char kInformation[] = "1078";
inline constexpr char kWeb[] = "1086";
inline constexpr char kModify[] = "1088";
}  // namespace CompanyIntro
namespace CompanySet {
inline constexpr char kPicture[] = "1013";
inline constexpr char kChoose[] = "1001";
inline constexpr char kInformation[] = "1029";
inline constexpr char kWeb[] = "1015";
inline constexpr char kSave[] = "1002";
inline constexpr char kName[] = "companyName";
inline constexpr char kChatNumber[] = "companyQQ";
}  // namespace CompanySet
namespace Publish {
inline constexpr char kCover[] = "1096";
inline constexpr char kChooseCover[] = "1097";
inline constexpr char kPublish[] = "1001";
inline constexpr char kTree[] = "1033";
inline constexpr char kRoot[] = "publishRoot";
inline constexpr char kNewFolder[] = "newFolder";
}  // namespace Publish
namespace Progress {
inline constexpr char kBar[] = "1003";
}
namespace ModelPage {
inline constexpr char kDownload[] = "1035";
}
namespace Notice {
inline constexpr char kText[] = "1012";
}
namespace Sheet {
inline constexpr char kChoose[] = "1102";
inline constexpr char kSummary[] = "1104";
inline constexpr char kRefused[] = "1105";
inline constexpr char kImport[] = "1108";
inline constexpr char kExport[] = "1109";
}  // namespace Sheet
}  // namespace Ids
