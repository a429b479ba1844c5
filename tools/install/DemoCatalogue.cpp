#include "tools/install/DemoCatalogue.h"

#include <QtMath>

#include "store/CatalogueRecords.h"

namespace {

struct ProductSeed {
    const char* name;
    const char* typeCode;
    const char* keywords;
    int variant;
    int size;
};

// Per category, in display order.
const QList<QList<ProductSeed>>& Seeds() {
    static const QList<QList<ProductSeed>> seeds = {
        {
            {"标准型直线导轨", "HGR15-800", "直线导轨 滚珠 标准型 方形滑块 HGH15CA", 0, 15},
            {"重负荷直线导轨", "HGR20-1000", "直线导轨 重负荷 高刚性 HGH20HA", 0, 20},
            {"重负荷直线导轨", "HGR25-1200", "直线导轨 重负荷 加长滑块 HGH25HA", 0, 25},
            {"法兰型直线导轨", "HGW30CC-1500", "直线导轨 法兰型 滑块 HGW30CC", 1, 30},
            {"微型直线导轨", "MGN12H-300", "微型导轨 小型 不锈钢 MGN12H", 2, 12},
            {"低组装直线导轨", "EGR20-1000", "直线导轨 低组装 薄型 EGH20CA", 3, 20},
            {"宽幅微型导轨", "MGW15-400", "微型导轨 宽幅 不锈钢 MGW15H", 2, 15},
        },
        {
            {"精密研磨滚珠丝杠", "SFU1605-500", "滚珠丝杠 研磨 C5 单螺母 SFU1605", 0, 16},
            {"轧制滚珠丝杠", "SFU2005-800", "滚珠丝杠 轧制 C7 经济型 SFU2005", 0, 20},
            {"双螺母预压滚珠丝杠", "DFU2510-1000", "滚珠丝杠 双螺母 预压 零背隙 DFU2510", 1, 25},
            {"大导程滚珠丝杠", "SFE3232-1200", "滚珠丝杠 大导程 高速 SFE3232", 0, 32},
            {"微型滚珠丝杠", "SFK0802-200", "滚珠丝杠 微型 小导程 SFK0802", 2, 8},
            {"重载滚珠丝杠", "SFU4010-1500", "滚珠丝杠 重载 大直径 SFU4010", 1, 40},
            {"高速静音滚珠丝杠", "SFS2020-900", "滚珠丝杠 静音 高速 SFS2020", 2, 20},
        },
        {
            {"梅花弹性联轴器", "CJ30-8x10", "联轴器 梅花 弹性 爪式 CJ30", 0, 30},
            {"膜片联轴器", "DL55-14x16", "联轴器 膜片 伺服 高刚性 DL55", 1, 55},
            {"刚性夹紧联轴器", "RG25-8x8", "联轴器 刚性 夹紧式 RG25", 2, 25},
            {"波纹管联轴器", "BW32-10x12", "联轴器 波纹管 零背隙 BW32", 3, 32},
            {"平行线联轴器", "PS20-6x8", "联轴器 平行线 开槽 编码器 PS20", 4, 20},
            {"十字滑块联轴器", "OL40-12x15", "联轴器 十字滑块 大偏心 OL40", 5, 40},
        },
        {
            {"立式轴承座", "UCP205", "轴承座 立式 外球面 UCP205", 0, 5},
            {"菱形带座轴承", "UCFL206", "轴承座 菱形 法兰 两螺栓 UCFL206", 1, 6},
            {"方形法兰轴承座", "UCF207", "轴承座 方形 法兰 四螺栓 UCF207", 2, 7},
            {"滑块式轴承座", "UCT208", "轴承座 滑块式 张紧 UCT208", 3, 8},
            {"吊挂式轴承座", "UCHA204", "轴承座 吊挂式 输送机 UCHA204", 4, 4},
            {"剖分式立式轴承座", "SN510", "轴承座 剖分式 调心 SN510", 5, 10},
        },
        {
            {"精密行星减速机", "PLE60-10", "减速机 行星 精密 伺服 PLE60", 0, 60},
            {"直角行星减速机", "PLF90-20", "减速机 直角 行星 PLF90", 1, 90},
            {"蜗轮蜗杆减速机", "NMRV050-30", "减速机 蜗轮 蜗杆 自锁 NMRV050", 2, 50},
            {"斜齿轮减速机", "HR37-15", "减速机 斜齿轮 同轴 HR37", 3, 37},
            {"摆线针轮减速机", "XWD3-29", "减速机 摆线针轮 立式 XWD3", 4, 3},
            {"谐波减速机", "HD20-100", "减速机 谐波 机器人 关节 HD20", 5, 20},
        },
        {
            {"标准气缸", "SC50-100", "气缸 标准 拉杆 SC50", 0, 50},
            {"迷你气缸", "MAL20-50", "气缸 迷你 铝合金 MAL20", 1, 20},
            {"薄型气缸", "SDA32-25", "气缸 薄型 紧凑 SDA32", 2, 32},
            {"双轴气缸", "TN16-30", "气缸 双轴 导杆 TN16", 3, 16},
            {"二位五通电磁阀", "4V210-08", "电磁阀 二位五通 换向阀 4V210", 4, 8},
            {"气源处理三联件", "AC3000-03", "气源处理 过滤器 调压阀 油雾器 AC3000", 5, 3},
        },
        {
            {"HTD 同步带轮", "HTD5M-30T", "同步带轮 HTD 圆弧齿 5M 铝合金", 0, 30},
            {"S8M 重载同步带轮", "S8M-40T", "同步带轮 S8M 重载 钢制", 0, 40},
            {"T5 梯形齿同步带轮", "T5-20T", "同步带轮 T5 梯形齿", 1, 20},
            {"XL 英制同步带轮", "XL-15T", "同步带轮 XL 英制", 1, 15},
            {"GT2 精密同步带轮", "GT2-20T", "同步带轮 GT2 打印机 精密", 2, 20},
            {"同步带张紧轮", "TPL5M-25", "张紧轮 惰轮 同步带 TPL5M", 3, 25},
        },
    };
    return seeds;
}

QString Num(double v, int decimals = 0) {
    return QString::number(v, 'f', decimals);
}

QString Series(const QString& typeCode) {
    int i = 0;
    while (i < typeCode.size() && !typeCode[i].isDigit()) ++i;
    return typeCode.left(i);
}

}  // namespace

QString DemoProduct::StoredName() const {
    return StoredProductName::Join(name, typeCode);
}

QString DemoProduct::Key() const {
    return typeCode + QLatin1Char(' ') + keywords;
}

bool DemoProduct::HasModels() const {
    return (category + indexInCategory) % 2 == 0;
}

bool DemoProduct::IntroductionIsFolder() const {
    return (category == 0 && indexInCategory == 0) || (category == 4 && indexInCategory == 1);
}

bool DemoProduct::WideReference() const {
    return indexInCategory == 1 && category % 3 == 0;
}

PictureFormat DemoProduct::PictureFileFormat() const {
    using F = PictureFormat;
    static const F cycle[10] = {F::Jpeg, F::Png,  F::Jpeg, F::Bmp, F::Jpeg,
                                F::Gif,  F::Jpeg, F::Tiff, F::Png, F::Jpeg};
    return cycle[(category + indexInCategory * 3) % 10];
}

PictureFormat DemoProduct::DocumentFormat(int document) const {
    switch (document) {
        case 0:
            return indexInCategory % 3 == 1 ? PictureFormat::Png : PictureFormat::Jpeg;
        case 1:
            return (category + indexInCategory) % 4 == 2 ? PictureFormat::Gif : PictureFormat::Png;
        default:
            if (WideReference()) return PictureFormat::Jpeg;
            return (category + indexInCategory) % 5 == 3 ? PictureFormat::Tiff : PictureFormat::Png;
    }
}

QStringList DemoProduct::ModelFiles() const {
    if (!HasModels()) return {};
    const QStringList all = {typeCode + QStringLiteral(".stp"), typeCode + QStringLiteral(".igs"),
                             typeCode + QStringLiteral(".x_t")};
    return all.mid(0, 1 + indexInCategory % 3);
}

QStringList DemoProduct::ModelNotes() const {
    const QStringList all = {QStringLiteral("STEP AP214 通用格式，适用于各类三维软件"),
                             QStringLiteral("IGES 5.3 曲面格式"),
                             QStringLiteral("Parasolid 文本格式（SolidWorks / NX）")};
    return all.mid(0, ModelFiles().size());
}

const QList<DemoCategory>& DemoCatalogue::Categories() {
    static const QList<DemoCategory> categories = {
        {QStringLiteral("直线导轨"),
         QStringLiteral("LINEAR GUIDEWAY"),
         PartKind::LinearGuide,
         QStringLiteral(
             "Harbelt 直线导轨采用四列圆弧沟槽、45° 接触角设计，四个方向承受相同的额定负荷，"
             "具有高刚性、高精度与低摩擦的特点。滑块与导轨均经精密研磨，互换性好，可显著缩短"
             "装配与调整时间，适用于各类自动化设备的精密直线运动。"),
         {QStringLiteral("四方向等负荷设计，可承受径向、反径向及横向负荷"),
          QStringLiteral("滚珠循环系统经优化，运行平稳、噪音低"),
          QStringLiteral("自润滑储油结构，延长保养周期"),
          QStringLiteral("精度等级 C、H、P、SP、UP 可选"),
          QStringLiteral("滑块与导轨可任意互换，便于库存与维护")},
         QStringLiteral("加工中心、数控车床、激光切割机、半导体设备、精密测量仪器、工业机器人及"
                        "自动化生产线。"),
         {{QStringLiteral("L"), QStringLiteral("定长切断"),
           QStringLiteral("按客户要求长度切断，端面倒角去毛刺，长度公差 ±0.5 mm。")},
          {QStringLiteral("J"), QStringLiteral("接续加工"),
           QStringLiteral("超过单根最大长度 4000 mm 时，端面精磨并编号配对，接缝处平顺。")},
          {QStringLiteral("HC"), QStringLiteral("表面处理"),
           QStringLiteral("镀硬铬、黑色氧化或氟素黑铬防锈处理，适合洁净室及潮湿环境。")},
          {QStringLiteral("T"), QStringLiteral("下锁式安装孔"),
           QStringLiteral("导轨底面加工螺纹孔，或按客户图纸加工非标孔距。")},
          {QStringLiteral("ZZ"), QStringLiteral("防尘配件"),
           QStringLiteral("追加双重端封、刮板、金属刮屑片及导轨防尘盖条。")}},
         {QStringLiteral("型号"), QStringLiteral("H"), QStringLiteral("W"), QStringLiteral("WR"),
          QStringLiteral("HR"), QStringLiteral("L"), QStringLiteral("P"), QStringLiteral("E"),
          QStringLiteral("C (kN)"), QStringLiteral("C0 (kN)"), QStringLiteral("质量 (kg/m)")},
         QStringLiteral("尺寸单位：mm；C 为基本额定动负荷，C0 为基本额定静负荷。")},
        {QStringLiteral("滚珠丝杠"),
         QStringLiteral("BALL SCREW"),
         PartKind::BallScrew,
         QStringLiteral(
             "Harbelt 滚珠丝杠以钢球在丝杠与螺母之间滚动传递动力，传动效率可达 90% 以上，是将"
             "旋转运动转换为直线运动的理想元件。丝杠轴经高频淬火与精密研磨（或轧制），螺母采用"
             "内循环或外循环结构，可实现零背隙与高刚性。"),
         {QStringLiteral("传动效率高，驱动扭矩约为滑动丝杠的三分之一"),
          QStringLiteral("预压螺母消除轴向间隙，导程精度可达 C3 级"),
          QStringLiteral("轴端可按标准形式或客户图纸加工"),
          QStringLiteral("配套 BK/BF、FK/FF 系列支撑座"), QStringLiteral("标配防尘刮刷与润滑油孔")},
         QStringLiteral("数控机床进给系统、注塑机、电子组装设备、医疗器械及各类线性模组。"),
         {{QStringLiteral("A"), QStringLiteral("标准轴端"),
           QStringLiteral("按 BK/BF 支撑座配套尺寸加工固定端与支撑端。")},
          {QStringLiteral("K"), QStringLiteral("键槽与螺纹"),
           QStringLiteral("驱动端加工键槽、锁紧螺纹及退刀槽。")},
          {QStringLiteral("P"), QStringLiteral("预压调整"),
           QStringLiteral("按使用条件选择轻、中、重预压，出厂前测定扭矩。")},
          {QStringLiteral("S"), QStringLiteral("非标长度"),
           QStringLiteral("最大长度 6000 mm，可分段交货并配对编号。")}},
         {QStringLiteral("型号"), QStringLiteral("d"), QStringLiteral("Ph"), QStringLiteral("D"),
          QStringLiteral("A"), QStringLiteral("L"), QStringLiteral("B"),
          QStringLiteral("钢球 (mm)"), QStringLiteral("Ca (kN)"), QStringLiteral("C0a (kN)"),
          QStringLiteral("刚性 (N/μm)")},
         QStringLiteral("尺寸单位：mm；Ca 为基本额定动负荷，C0a 为基本额定静负荷。")},
        {QStringLiteral("联轴器"),
         QStringLiteral("SHAFT COUPLING"),
         PartKind::Coupling,
         QStringLiteral(
             "Harbelt 联轴器用于连接电机与丝杠、减速机等传动轴，在传递扭矩的同时补偿安装时产生"
             "的径向、角向及轴向偏差。产品采用高强度铝合金或不锈钢制造，夹紧式固定，装拆方便，"
             "不损伤轴表面。"),
         {QStringLiteral("零背隙，正反转特性一致"),
          QStringLiteral("高扭转刚性，适合伺服与步进电机"),
          QStringLiteral("补偿径向、角向及轴向偏差"), QStringLiteral("夹紧式固定，不损伤轴表面"),
          QStringLiteral("孔径组合丰富，可定制非标孔径")},
         QStringLiteral("数控机床、线性模组、包装机械、印刷机械、编码器及测量仪器。"),
         {{QStringLiteral("B"), QStringLiteral("非标孔径"),
           QStringLiteral("孔径 3～45 mm 任意组合，公差 H7。")},
          {QStringLiteral("KW"), QStringLiteral("键槽加工"),
           QStringLiteral("按 GB/T 1095 加工键槽，可与夹紧式同时使用。")},
          {QStringLiteral("SUS"), QStringLiteral("不锈钢材质"),
           QStringLiteral("食品、医药行业可选 SUS304 材质。")}},
         {QStringLiteral("型号"), QStringLiteral("D"), QStringLiteral("L"),
          QStringLiteral("孔径范围"), QStringLiteral("额定扭矩 (N·m)"),
          QStringLiteral("最高转速 (rpm)"), QStringLiteral("许用偏心 (mm)"),
          QStringLiteral("许用偏角 (°)"), QStringLiteral("质量 (g)")},
         QStringLiteral("尺寸单位：mm；扭矩为连续运转下的额定值。")},
        {QStringLiteral("轴承座"),
         QStringLiteral("BEARING UNIT"),
         PartKind::BearingUnit,
         QStringLiteral(
             "Harbelt 带座外球面轴承由外球面球轴承与铸铁轴承座组合而成，外球面可自动调心，补偿"
             "安装误差。座体采用优质灰铸铁 HT200 铸造，表面喷涂防锈漆，配有注油嘴，可在使用中"
             "补充润滑脂。"),
         {QStringLiteral("外球面自动调心，安装简便"), QStringLiteral("顶丝固定，轴无需台阶"),
          QStringLiteral("双重密封，防尘防水"), QStringLiteral("配注油嘴，可补充润滑脂"),
          QStringLiteral("座体与轴承可分别更换")},
         QStringLiteral("输送机械、农业机械、纺织机械、风机及各类通用传动装置。"),
         {{QStringLiteral("C"), QStringLiteral("防护端盖"),
           QStringLiteral("追加开口或闭口铸铁端盖，防止异物进入。")},
          {QStringLiteral("S"), QStringLiteral("不锈钢座体"),
           QStringLiteral("食品机械可选不锈钢座体与不锈钢轴承。")},
          {QStringLiteral("Z"), QStringLiteral("镀锌处理"),
           QStringLiteral("户外设备座体镀锌防锈。")}},
         {QStringLiteral("型号"), QStringLiteral("轴径 d"), QStringLiteral("H"),
          QStringLiteral("L"), QStringLiteral("J"), QStringLiteral("A"), QStringLiteral("N"),
          QStringLiteral("螺栓"), QStringLiteral("Cr (kN)"), QStringLiteral("质量 (kg)")},
         QStringLiteral("尺寸单位：mm；Cr 为轴承基本额定动负荷。")},
        {QStringLiteral("减速机"),
         QStringLiteral("GEAR REDUCER"),
         PartKind::Reducer,
         QStringLiteral(
             "Harbelt 减速机系列涵盖精密行星、直角行星、蜗轮蜗杆、斜齿轮、摆线针轮及谐波减速机，"
             "速比范围 3～160。齿轮经渗碳淬火与磨齿加工，运转平稳、噪音低，可与伺服电机、步进"
             "电机直接连接。"),
         {QStringLiteral("高扭矩密度，体积小、重量轻"), QStringLiteral("精密型背隙 ≤ 3 arcmin"),
          QStringLiteral("终身润滑，免维护"), QStringLiteral("输入法兰可适配各品牌电机"),
          QStringLiteral("防护等级 IP65")},
         QStringLiteral("工业机器人、数控机床、包装机械、AGV 小车、输送线及自动化设备。"),
         {{QStringLiteral("F"), QStringLiteral("电机连接板"),
           QStringLiteral("按电机型号加工输入连接板与轴套。")},
          {QStringLiteral("K"), QStringLiteral("输出轴键槽"),
           QStringLiteral("输出轴可选光轴、键槽轴或花键轴。")},
          {QStringLiteral("R"), QStringLiteral("特殊速比"),
           QStringLiteral("在标准速比之外组合特殊速比，交期另议。")}},
         {QStringLiteral("型号"), QStringLiteral("减速比"), QStringLiteral("额定扭矩 (N·m)"),
          QStringLiteral("最高输入 (rpm)"), QStringLiteral("背隙 (arcmin)"),
          QStringLiteral("效率 (%)"), QStringLiteral("法兰 □"), QStringLiteral("输出轴 D"),
          QStringLiteral("质量 (kg)")},
         QStringLiteral("额定扭矩为输入转速 3000 rpm 时的值。")},
        {QStringLiteral("气动元件"),
         QStringLiteral("PNEUMATIC COMPONENTS"),
         PartKind::Pneumatic,
         QStringLiteral(
             "Harbelt 气动元件包括标准气缸、迷你气缸、薄型气缸、双轴气缸、电磁阀及气源处理元件。"
             "缸筒采用铝合金阳极氧化处理，活塞密封采用耐磨聚氨酯材料，动作灵敏、寿命长，满足"
             "自动化设备对洁净、安全驱动的需求。"),
         {QStringLiteral("缸筒阳极氧化，耐磨耐腐蚀"), QStringLiteral("两端可调缓冲，运行平稳"),
          QStringLiteral("带磁环，可安装磁性开关"), QStringLiteral("多种安装附件可选"),
          QStringLiteral("使用寿命 3000 km 以上")},
         QStringLiteral("自动化装配线、包装机械、夹具、电子设备及各类气动控制回路。"),
         {{QStringLiteral("S"), QStringLiteral("磁性开关"),
           QStringLiteral("追加 CS1 系列磁性开关及安装支架。")},
          {QStringLiteral("FA"), QStringLiteral("安装附件"),
           QStringLiteral("法兰、脚座、耳环及鱼眼接头。")},
          {QStringLiteral("T"), QStringLiteral("耐高温密封"),
           QStringLiteral("密封件改用氟橡胶，使用温度可达 150 °C。")}},
         {QStringLiteral("型号"), QStringLiteral("缸径/通径"), QStringLiteral("接管口径"),
          QStringLiteral("使用压力 (MPa)"), QStringLiteral("温度 (°C)"), QStringLiteral("A"),
          QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("质量 (g)")},
         QStringLiteral("使用介质为经过滤的压缩空气。")},
        {QStringLiteral("同步带轮"),
         QStringLiteral("TIMING PULLEY"),
         PartKind::Pulley,
         QStringLiteral(
             "Harbelt 同步带轮与同步带配合使用，依靠齿形啮合传递运动，无滑差、传动比准确。齿形"
             "可选 HTD、S8M、T5、XL、GT2 等，材质为 6061 铝合金或 45# 钢，孔径可按要求加工键槽"
             "与顶丝孔。"),
         {QStringLiteral("齿形精密滚齿加工，啮合平稳"), QStringLiteral("带挡边，防止皮带脱落"),
          QStringLiteral("铝合金表面阳极氧化"), QStringLiteral("孔径、键槽、顶丝可定制"),
          QStringLiteral("配套张紧轮与同步带")},
         QStringLiteral("线性模组、3D 打印机、雕刻机、纺织机械及各类自动化设备。"),
         {{QStringLiteral("B"), QStringLiteral("孔径加工"),
           QStringLiteral("按轴径加工 H7 孔，可加键槽与顶丝。")},
          {QStringLiteral("F"), QStringLiteral("挡边定制"),
           QStringLiteral("单挡边、双挡边或无挡边可选。")}},
         {QStringLiteral("型号"), QStringLiteral("齿数"), QStringLiteral("节径 PD"),
          QStringLiteral("外径 OD"), QStringLiteral("带宽"), QStringLiteral("孔径 d"),
          QStringLiteral("凸台 D1"), QStringLiteral("L"), QStringLiteral("质量 (g)")},
         QStringLiteral("尺寸单位：mm。")},
    };
    return categories;
}

QList<DemoProduct> DemoCatalogue::Products(bool small) {
    QList<DemoProduct> products;
    const auto& seeds = Seeds();
    for (int c = 0; c < seeds.size(); ++c) {
        const int n = small ? qMin(2, int(seeds[c].size())) : int(seeds[c].size());
        for (int i = 0; i < n; ++i) {
            const ProductSeed& s = seeds[c][i];
            DemoProduct p;
            p.category = c;
            p.indexInCategory = i;
            p.name = QString::fromUtf8(s.name);
            p.typeCode = QString::fromUtf8(s.typeCode);
            p.keywords = QString::fromUtf8(s.keywords);
            p.variant = s.variant;
            p.size = s.size;
            products << p;
        }
    }
    return products;
}

DimensionTable DemoCatalogue::Table(const DemoProduct& product) {
    DimensionTable t;
    t.header = Categories()[product.category].columns;
    const QString series = Series(product.typeCode);
    QList<int> ladder;
    std::function<QStringList(int)> row;
    switch (Categories()[product.category].kind) {
        case PartKind::LinearGuide:
            ladder = product.variant == 2 ? QList<int>{7, 9, 12, 15}
                                          : QList<int>{15, 20, 25, 30, 35, 45};
            row = [&](int s) {
                const bool mini = product.variant == 2;
                const double c = mini ? s * s * 0.021 + 0.6 : s * s * 0.042 + 4.5;
                return QStringList{series + Num(s),
                                   Num(mini ? s * 0.9 + 2 : s * 1.3 + 9),
                                   Num(mini ? s * 1.8 + 5 : s * 2.1 + 13),
                                   Num(s),
                                   Num(mini ? s * 0.65 + 1 : s * 0.85 + 2),
                                   Num(mini ? s * 2.4 + 8 : s * 3.1 + 17),
                                   Num(mini ? (s < 12 ? 20 : 25)
                                            : (s <= 25   ? 60
                                               : s <= 35 ? 80
                                                         : 105)),
                                   Num(mini ? 10 : 20),
                                   Num(c, 1),
                                   Num(c * 1.7, 1),
                                   Num(mini ? s * s * 0.0042 : s * s * 0.0036 + 0.4, 2)};
            };
            break;
        case PartKind::BallScrew: {
            const int lead = product.typeCode.mid(series.size() + 2, 2).toInt();
            ladder = {8, 12, 16, 20, 25, 32, 40, 50};
            if (!ladder.contains(product.size)) ladder << product.size;
            std::sort(ladder.begin(), ladder.end());
            row = [&, lead](int d) {
                const int l = qMax(1, qMin(lead, d));
                return QStringList{series + QStringLiteral("%1%2")
                                                .arg(d, 2, 10, QLatin1Char('0'))
                                                .arg(l, 2, 10, QLatin1Char('0')),
                                   Num(d),
                                   Num(l),
                                   Num(d * 1.75 + 6),
                                   Num(d * 2.6 + 14),
                                   Num(d * 2.2 + 20),
                                   Num(d * 0.5 + 4),
                                   Num(qMin(d * 0.2, l * 0.7), 3),
                                   Num(d * d * 0.028 + 2.1, 1),
                                   Num(d * d * 0.055 + 4.0, 1),
                                   Num(d * 11 + 90)};
            };
            break;
        }
        case PartKind::Coupling:
            ladder = {16, 20, 25, 30, 32, 40, 55, 65};
            row = [&](int d) {
                return QStringList{series + Num(d),
                                   Num(d),
                                   Num(d * 1.3 + 8),
                                   QStringLiteral("%1～%2").arg(qMax(3, d / 6)).arg(d / 2 - 2),
                                   Num(d * d * 0.018, 1),
                                   Num(qRound(120000.0 / d / 100) * 100),
                                   Num(0.1 + d * 0.004, 2),
                                   Num(1.0 + (product.variant % 3) * 0.5, 1),
                                   Num(d * d * d * 0.0011, 0)};
            };
            break;
        case PartKind::BearingUnit:
            ladder = {4, 5, 6, 7, 8, 9, 10};
            row = [&](int s) {
                const QString code =
                    series == QLatin1String("SN")
                        ? QStringLiteral("SN5%1").arg(s, 2, 10, QLatin1Char('0'))
                        : series + QStringLiteral("2%1").arg(s, 2, 10, QLatin1Char('0'));
                const int d = s * 5;
                return QStringList{code,
                                   Num(d),
                                   Num(d * 1.3 + 8),
                                   Num(d * 4.2 + 22),
                                   Num(d * 3.1 + 26),
                                   Num(d * 1.0 + 10),
                                   Num(d * 0.25 + 10),
                                   QStringLiteral("M%1").arg(s <= 5   ? 10
                                                             : s <= 8 ? 12
                                                                      : 16),
                                   Num(d * 0.55 + 0.8, 1),
                                   Num(d * d * 0.0009 + 0.25, 2)};
            };
            break;
        case PartKind::Reducer: {
            static const QList<QList<int>> ladders = {
                {40, 60, 80, 120, 160}, {60, 90, 115, 142}, {30, 40, 50, 63, 75, 90},
                {37, 47, 57, 67, 77},   {1, 2, 3, 4, 5, 6}, {14, 17, 20, 25, 32}};
            ladder = ladders[product.variant % 6];
            const int ratio = product.typeCode.section(QLatin1Char('-'), 1).toInt();
            const int biggest = ladder.last();
            row = [&, ratio, biggest](int s) {
                const double f = double(s) / biggest;  // relative frame size
                const QString code =
                    product.variant == 2
                        ? series +
                              QStringLiteral("%1-%2").arg(s, 3, 10, QLatin1Char('0')).arg(ratio)
                        : series + Num(s) + QLatin1Char('-') + Num(ratio);
                return QStringList{code,
                                   Num(ratio),
                                   Num(qRound(f * f * 1800 + 12)),
                                   Num(product.variant == 4 ? 1500 : 6000 - qRound(f * 2000)),
                                   product.variant == 2 || product.variant == 4
                                       ? QStringLiteral("≤ 30")
                                       : QStringLiteral("≤ %1").arg(product.variant == 5 ? 1 : 3),
                                   Num(product.variant == 2   ? 72
                                       : product.variant == 5 ? 80
                                                              : 96),
                                   Num(qRound(f * 160 + 30)),
                                   Num(qRound(f * 40 + 10)),
                                   Num(f * f * 42 + 0.6, 1)};
            };
            break;
        }
        case PartKind::Pneumatic:
            if (product.variant == 4 || product.variant == 5) {
                const QStringList codes =
                    product.variant == 4
                        ? QStringList{"4V110-06", "4V210-08", "4V310-10", "4V410-15"}
                        : QStringList{"AC2000-02", "AC3000-03", "AC4000-04", "AC5000-06"};
                for (int i = 0; i < codes.size(); ++i) {
                    const int s = i + 1;
                    t.rows << QStringList{
                        codes[i],
                        Num(s * 4 + 2),
                        QStringLiteral("G%1").arg(QStringList{"1/8", "1/4", "3/8", "1/2"}[i]),
                        product.variant == 4 ? QStringLiteral("0.15～0.8")
                                             : QStringLiteral("0.05～0.85"),
                        QStringLiteral("-5～60"),
                        Num(s * 22 + 40),
                        Num(s * 12 + 20),
                        Num(s * 15 + 45),
                        Num(s * s * 60 + 120)};
                    if (codes[i] == product.typeCode) t.highlight = i;
                }
                return t;
            }
            ladder = {12, 16, 20, 25, 32, 40, 50, 63, 80, 100};
            row = [&](int b) {
                return QStringList{series + Num(b),
                                   Num(b),
                                   b <= 20   ? QStringLiteral("M5")
                                   : b <= 40 ? QStringLiteral("G1/8")
                                             : QStringLiteral("G1/4"),
                                   QStringLiteral("0.1～0.9"),
                                   QStringLiteral("-5～70"),
                                   Num(b * 1.3 + 26),
                                   Num(b * 0.4 + 8),
                                   Num(b * 1.2 + 6),
                                   Num(b * b * 0.12 + 40)};
            };
            break;
        case PartKind::Pulley: {
            ladder = {15, 20, 25, 30, 36, 40, 48, 60};
            const QString family = product.typeCode.section(QLatin1Char('-'), 0, 0);
            const double pitch = family.startsWith(QLatin1String("S8M"))   ? 8
                                 : family.startsWith(QLatin1String("XL"))  ? 5.08
                                 : family.startsWith(QLatin1String("GT2")) ? 2
                                                                           : 5;
            row = [&, family, pitch](int z) {
                const double pd = z * pitch / M_PI;
                return QStringList{family + QLatin1Char('-') + Num(z) +
                                       (product.variant == 3 ? QString() : QStringLiteral("T")),
                                   Num(z),
                                   Num(pd, 2),
                                   Num(pd - pitch * 0.22, 2),
                                   Num(pitch * 3),
                                   Num(qMax(4.0, qRound(pd * 0.25) * 1.0)),
                                   Num(qRound(pd * 0.6)),
                                   Num(pitch * 3 + 12),
                                   Num(pd * pd * 0.09 + 6)};
            };
            break;
        }
    }
    for (int i = 0; i < ladder.size(); ++i) {
        t.rows << row(ladder[i]);
        if (ladder[i] == product.size) t.highlight = i;
    }
    return t;
}

QString DemoCatalogue::CompanyShortName() {
    return QStringLiteral("Harbelt");
}

QString DemoCatalogue::CompanyName() {
    return QStringLiteral("哈博特精密传动（苏州）有限公司");
}

QString DemoCatalogue::CompanyInformation() {
    return QStringLiteral(
        "公司简介\n"
        "哈博特精密传动（苏州）有限公司（Harbelt）创立于 2003 年，是一家专业从事直线运动与"
        "精密传动部件研发、制造和销售的企业。公司现有员工 460 余人，其中工程技术人员 80 余人，"
        "厂区面积 36000 平方米，拥有恒温磨削车间、热处理中心和三坐标测量室。\n"
        "主要产品包括直线导轨、滚珠丝杠、联轴器、轴承座、减速机、气动元件和同步带轮，广泛"
        "应用于数控机床、半导体与电子设备、工业机器人、包装及物流自动化等领域，产品远销欧洲、"
        "北美和东南亚二十多个国家和地区。\n"
        "公司通过 ISO 9001:2015 质量管理体系与 ISO 14001 环境管理体系认证，坚持“精密、可靠、"
        "及时”的服务理念，为客户提供选型计算、非标定制与现场技术支持。\n"
        "\n"
        "联系方式\n"
        "地址：江苏省苏州市工业园区星湖街 888 号（邮编 215000）\n"
        "销售热线：0512-6000 1234    技术支持：0512-6000 5678\n"
        "传真：0512-6000 1235\n"
        "电子邮箱：sales@harbelt-demo.com\n"
        "网址：www.harbelt-demo.com\n"
        "工作时间：周一至周五 8:30～17:30");
}

QString DemoCatalogue::CompanyWeb() {
    return QStringLiteral("http://www.harbelt-demo.com");
}

QString DemoCatalogue::CompanyQQ() {
    return QStringLiteral("800012345");
}

QString DemoCatalogue::ChatHost() {
    return QStringLiteral("wpa.qq.com");
}

QString DemoCatalogue::Suffix(PictureFormat format) {
    switch (format) {
        case PictureFormat::Jpeg:
            return QStringLiteral("jpg");
        case PictureFormat::Png:
            return QStringLiteral("png");
        case PictureFormat::Bmp:
            return QStringLiteral("bmp");
        case PictureFormat::Gif:
            return QStringLiteral("gif");
        case PictureFormat::Tiff:
            return QStringLiteral("tif");
    }
    return QStringLiteral("png");
}
